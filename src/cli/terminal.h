// terminal.h - omniset-cli's side of the program's services: lines on standard error.
//
//   ExitCode                     the program's exit codes (documented in --help and the man page)
//   installTerminalMessages()    message boxes of the core become "Omniset: text" lines on
//                                standard error; an OK/Cancel question is answered OK
//   say(text) / sayLine(text)    a line on standard error (unless quiet for progress)
//   out(text)                    a line on standard output
//   tr(zh, en)                   the text of the language the locale selects
//   setQuiet(q) / progress(text) progress lines, silenced by -q
//   TerminalDetectionView        the search's progress as lines ("Detecting COM1 ...")
//   catchInterrupts()            Ctrl-C sets a flag instead of ending the process; a second
//                                Ctrl-C ends it at once
//   interrupted()                whether Ctrl-C was pressed
#pragma once

#include "link/detection.h"

#include <QString>

namespace omniset::cli {

enum ExitCode : int {
    kExitOk = 0,
    kExitDifferent = 1,
    kExitUsage = 2,     // bad usage or a bad file
    kExitNoAdapter = 3, // adapter not found or not answering
    kExitFailed = 4,    // an exchange failed
    kExitInterrupted = 130,
};

void installTerminalMessages();
void say(const QString& text);
void out(const QString& text);
QString tr(const char* zh, const char* en);
bool english();

void setQuiet(bool quiet);
void progress(const QString& text);

class TerminalDetectionView : public DetectionView {
  public:
    void showPort(int port) override;
    void setProgress(int position) override;
    void stepProgress() override;
    QWidget* boxOwner() override { return nullptr; }
};

void catchInterrupts();
bool interrupted();

} // namespace omniset::cli
