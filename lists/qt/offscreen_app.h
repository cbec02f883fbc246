// A Qt application object for programs that have none (the command line):
// printing to PDF and drawing charts need one, the text formats do not.
#pragma once

// Makes sure a QApplication exists. When the process has none, one is
// created on the "offscreen" platform (no display needed) and kept until
// the process ends. Returns false when the existing application object is a
// QCoreApplication only (it cannot draw).
bool EnsureGuiApplication();
