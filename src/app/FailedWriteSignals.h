#pragma once

// A write beyond the file-size limit (`ulimit -f`) ends the process by SIGXFSZ, and a write
// into a pipe or socket that nobody reads any more by SIGPIPE, unless these signals are
// ignored. Ignored, the write fails with EFBIG or EPIPE instead, which the capture log and
// the settings file handle like any failed write (a full disk): the terminal, its capture
// and the run's settings are not lost to one file that cannot grow.
void ignoreSignalsOfFailedWrites();
