#pragma once

// window_bench --soak: the window under load for minutes (200 presses watched for leaks, a
// 1,000,000-character line, 50 MB). Prints figures and whether Text1 was exact; false when it
// was not, once or more.
bool BenchSoak();
