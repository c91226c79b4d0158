// The official `openai` client against llmbridge-mockserver: every answer the mock gives must be
// one a real client accepts, so the mock keeps the shapes real servers send.
//   node openai_client_check.js <host:port>      (NODE_PATH names the folder holding openai)
'use strict';

const assert = require('node:assert/strict');
const OpenAI = require('openai');

async function main(address) {
  const baseURL = `http://${address}/v1`;
  const client = new OpenAI({ apiKey: 'sk-mock', baseURL, maxRetries: 0 });

  const completion = await client.chat.completions.create({
    model: 'mock-small',
    messages: [{ role: 'user', content: 'What is the capital of France?' }],
    max_tokens: 50,
  });
  assert.equal(completion.object, 'chat.completion');
  assert.match(completion.choices[0].message.content, /What is the capital of France\?/);
  assert.equal(completion.choices[0].message.role, 'assistant');
  console.log('ok: chat completion');

  const ids = [];
  for await (const model of client.models.list()) ids.push(model.id);
  assert.deepEqual(ids, ['mock-small', 'mock-large']);
  console.log('ok: model list');

  const image = await client.images.generate({ prompt: 'a lighthouse', size: '1024x1024', n: 1 });
  assert.match(image.data[0].url, /^http/);
  console.log('ok: image generation');

  const refused = new OpenAI({ apiKey: 'wrong', baseURL, maxRetries: 0 });
  await assert.rejects(refused.models.list(), (error) => {
    assert.ok(error instanceof OpenAI.AuthenticationError, `not an AuthenticationError: ${error}`);
    assert.equal(error.status, 401);
    assert.ok(error.message.length > 0);
    return true;
  });
  console.log('ok: refused key');

  await assert.rejects(
    client.chat.completions.create({ model: 'no-such-model', messages: [{ role: 'user', content: 'Hi' }] }),
    (error) => error instanceof OpenAI.NotFoundError && error.status === 404);
  console.log('ok: unknown model');
}

main(process.argv[2]).catch((error) => {
  console.error('FAILED:', error);
  process.exitCode = 1;
});
