// terminal.h - omniset-cli's side of the program's services: lines on standard error.
//
//   ExitCode                     the program's exit codes (in --help and the man page)
//   installTerminalMessages()    message boxes of the core become "Omniset: text" lines on
//                                standard error; an OK/Cancel question is answered OK
//   say(text)                    a line on standard error (after ending an open line)
//   openLine() / endOpenLine()   a progress line being redrawn on standard error is open /
//                                end it with a newline if it is
//   out(text)                    a line on standard output (standard error while
//                                setReportToStderr(true): standard output then carries
//                                one JSON object, written by outData)
//   outData(bytes)               bytes on standard output as they are
//   outputError()                0 when everything written to standard output has reached
//                                it (flushed now), else the errno of the first failure
//   askOnTerminal(prompt)        prompt on the terminal; true only for "y" or "yes"
//   confirmOnTerminal(text)      text and an OK/Cancel question on the terminal (askOnTerminal)
//   tr(zh, en) / english()       the text of the language the locale selects; whether
//                                that is English
//   setQuiet(q) / progress(text) progress lines, silenced by -q; quiet() whether they are
//   TerminalDetectionView        the search's progress as lines ("Detecting COM1 ...") and
//                                what happened on each port, in the locale's language;
//                                portReasons() the last of those per port, COM1 first
//   catchInterrupts()            Ctrl-C (and SIGTERM) set a flag instead of ending the
//                                process, so that the exchange under way finishes and the
//                                port is closed; a second Ctrl-C ends it at once
//   interrupted()                whether that happened
#pragma once

#include "core/link/detection.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <map>
#include <string>

namespace omniset::cli {

enum ExitCode : int {
    kExitOk = 0,
    kExitDifferent = 1,
    kExitUsage = 2,     // bad usage or a bad file
    kExitNoAdapter = 3, // adapter not found or not answering
    kExitFailed = 4,    // an exchange failed
    kExitOutput = 5,    // standard output could not be written
    kExitInterrupted = 130,
};

void installTerminalMessages();
void say(const QString& text);
void openLine();
void endOpenLine();
void out(const QString& text);
void setReportToStderr(bool toStderr);
void outData(const QByteArray& bytes);
int outputError();
bool askOnTerminal(const QString& prompt);
bool confirmOnTerminal(const QString& text);
QString tr(const char* zh, const char* en);
bool english();

void setQuiet(bool quiet);
bool quiet();
void progress(const QString& text);

class TerminalDetectionView : public DetectionView {
  public:
    void showPort(int port) override;
    void setProgress(int position) override;
    void stepProgress() override;
    void explain(const std::string& line) override; // a progress line: -q silences it
    void explainPort(int port, const std::string& name, const std::string& outcome) override;
    bool english() const override;
    platform::BoxOwner boxOwner() override { return nullptr; }
    QStringList portReasons() const; // "COM1 (/dev/pts/3): opened, no answer at ..."

  private:
    std::map<int, QString> reasons_;
};

void catchInterrupts();
bool interrupted();

} // namespace omniset::cli
