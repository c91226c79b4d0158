#!/usr/bin/env node
// A conversation through llmbridge from Node.js, with the koffi FFI package and the UTF-16 exports.
//
//     npm install
//     node chat.js [--library PATH] [--server HOST:PORT] [--key KEY] [--model NAME]
//
// The library keeps the conversation between calls, so the second question can refer to the first;
// newchat() starts a new one. The exports ending in W take and return UTF-16 text, so any language
// and any emoji arrive intact. The last turn is a live one: chatstart() returns at once and a timer
// polls the reply as it streams in, while Node's event loop stays free.
'use strict';

const koffi = require('koffi');
const { parseArgs } = require('node:util');

const defaultLibrary = process.platform === 'win32' ? 'llmbridge.dll' : './libllmbridge.so';

function load(path) {
  const library = koffi.load(path);
  // __stdcall is what 32-bit Windows needs; koffi ignores it everywhere else. koffi converts JS
  // strings to and from `const char16_t *` as UTF-16, on every platform. A result is copied into
  // a JS string and left alone: it belongs to the library, never free it.
  return {
    chat: library.func('const char16_t * __stdcall chatW(const char16_t *server, ' +
                       'const char16_t *key, const char16_t *prompt, const char16_t *maxTokens, ' +
                       'const char16_t *model, const char16_t *temperature, ' +
                       'const char16_t *showWindow)'),
    getmodels: library.func('const char16_t * __stdcall getmodelsW(const char16_t *server, ' +
                            'const char16_t *key)'),
    checkdllversion: library.func('const char16_t * __stdcall checkdllversionW(void)'),
    newchat: library.func('int __stdcall newchat(void)'),
    chatstart: library.func('int __stdcall chatstartW(const char16_t *server, ' +
                            'const char16_t *key, const char16_t *prompt, ' +
                            'const char16_t *maxTokens, const char16_t *model, ' +
                            'const char16_t *temperature)'),
    chatstatus: library.func('int __stdcall chatstatus(void)'),
    // The poll's text is the library's only until the next poll: koffi copies it at once.
    chatpoll: library.func('const char16_t * __stdcall chatpollW(void)'),
  };
}

const isError = (reply) => reply === 'Request Failed' || reply.startsWith('Api Error code: ');

const RUNNING = 1;

// Streams a reply in, printing it as it grows; calls done(reply) once it has ended.
function chatLive(llmbridge, options, question, done) {
  const started = llmbridge.chatstart(options.server, options.key, question, '200', options.model,
                                      '0.7');
  if (started !== 1) return done('Request Failed');
  process.stdout.write('live> ');
  let shown = '';
  const timer = setInterval(() => {
    const status = llmbridge.chatstatus();
    const text = llmbridge.chatpoll() || '';
    process.stdout.write(text.startsWith(shown) ? text.slice(shown.length) : '\n' + text);
    shown = text;
    if (status === RUNNING) return;
    clearInterval(timer);
    process.stdout.write('\n');
    done(text);
  }, 20);
}

function main() {
  const { values: options } = parseArgs({
    options: {
      library: { type: 'string', default: defaultLibrary },
      server: { type: 'string', default: '127.0.0.1:8080' },
      key: { type: 'string', default: 'sk-mock' },
      model: { type: 'string', default: 'mock-small' },
    },
  });
  const llmbridge = load(options.library);
  console.log('llmbridge', llmbridge.checkdllversion());
  const models = llmbridge.getmodels(options.server, options.key);
  console.log('models:', models ? models.split('\r').join(', ') : '(none)');

  const conversations = [
    ['What is the capital of France?', 'And what did I ask you first?'],
    ['\u4e2d\u6587 \u041f\u0440\u0438\u0432\u0435\u0442 \u{1F600} e\u0301'],
  ];
  for (const [number, questions] of conversations.entries()) {
    if (number > 0) {
      llmbridge.newchat();
      console.log('(new conversation)');
    }
    for (const question of questions) {
      console.log('you>', question);
      const reply = llmbridge.chat(options.server, options.key, question, '200', options.model,
                                   '0.7', 'false');
      if (isError(reply)) {
        console.error('error:', reply);
        return 1;
      }
      console.log('assistant>', reply);
    }
  }
  chatLive(llmbridge, options, 'Stream this, please', (reply) => {
    if (isError(reply)) {
      console.error('error:', reply);
      process.exitCode = 1;
    }
  });
  return 0;
}

process.exitCode = main();
