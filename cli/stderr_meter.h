// The command line's progress meter: a bar on standard error, drawn only
// when standard error is a terminal, at most ~10 times a second. Ctrl-C
// while a meter is open cancels the computation (the rows read so far are
// still written), a second Ctrl-C ends the program.
#pragma once

void InstallStderrMeterFactory();
