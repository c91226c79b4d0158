#!/usr/bin/env node
// A two-turn conversation through llmbridge from Node.js, with the koffi FFI package.
//
//     npm install
//     node chat.js [--library PATH] [--server HOST:PORT] [--key KEY] [--model NAME]
//
// The library keeps the conversation between calls, so the second question can refer to the first.
'use strict';

const koffi = require('koffi');
const { parseArgs } = require('node:util');

const defaultLibrary = process.platform === 'win32' ? 'llmbridge.dll' : './libllmbridge.so';

function load(path) {
  const library = koffi.load(path);
  // __stdcall is what 32-bit Windows needs; koffi ignores it everywhere else. A `const char *`
  // result is copied into a JS string and left alone: it belongs to the library, never free it.
  // koffi reads and writes `const char *` as UTF-8: keep to ASCII unless the library's ANSI code
  // page is UTF-8 too.
  return {
    chat: library.func('const char * __stdcall chat(const char *server, const char *key, ' +
                       'const char *prompt, const char *maxTokens, const char *model, ' +
                       'const char *temperature, const char *showWindow)'),
    getmodels: library.func('const char * __stdcall getmodels(const char *server, const char *key)'),
    checkdllversion: library.func('const char * __stdcall checkdllversion(void)'),
  };
}

const isError = (reply) => reply === 'Request Failed' || reply.startsWith('Api Error code: ');

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

  for (const question of ['What is the capital of France?', 'And what did I ask you first?']) {
    console.log('you>', question);
    const reply = llmbridge.chat(options.server, options.key, question, '200', options.model, '0.7',
                                 'false');
    if (isError(reply)) {
      console.error('error:', reply);
      return 1;
    }
    console.log('assistant>', reply);
  }
  return 0;
}

process.exitCode = main();
