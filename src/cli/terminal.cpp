#include "cli/terminal.h"

#include "core/app/language.h"
#include "core/app/messages.h"
#include "core/platform/message_box.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>

namespace omniset::cli {

namespace {

bool g_quiet = false;
bool g_lineOpen = false; // a redrawn progress line waits for its newline
bool g_reportToStderr = false;
int g_outputErrno = 0; // the first failed write to standard output
volatile std::sig_atomic_t g_interrupted = 0;

void onInterrupt(int) {
    g_interrupted = 1;
    // A second Ctrl-C ends the program at once.
    std::signal(SIGINT, SIG_DFL);
}

} // namespace

void installTerminalMessages() {
    platform::setMessageBoxPresenter([](const platform::BoxRequest& r) {
        say(r.caption + QStringLiteral(": ") +
            QString(r.text).replace(QLatin1Char('\n'), QStringLiteral("\n  ")));
        return platform::BoxAnswer::Ok;
    });
}

void openLine() {
    g_lineOpen = true;
}

void endOpenLine() {
    if (!g_lineOpen) return;
    g_lineOpen = false;
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

void say(const QString& text) {
    endOpenLine();
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

static void noteOutputError() {
    if (std::ferror(stdout) && !g_outputErrno) g_outputErrno = errno ? errno : EIO;
}

void out(const QString& text) {
    if (g_reportToStderr) return say(text);
    std::fprintf(stdout, "%s\n", text.toLocal8Bit().constData());
    noteOutputError();
}

void setReportToStderr(bool toStderr) {
    g_reportToStderr = toStderr;
}

void outData(const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout);
    std::fflush(stdout);
    noteOutputError();
}

int outputError() {
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) noteOutputError();
    return g_outputErrno;
}

bool askOnTerminal(const QString& prompt) {
    std::fputs(prompt.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
    std::string answer;
    if (!std::getline(std::cin, answer)) return false;
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "YES";
}

bool confirmOnTerminal(const QString& text) {
    return askOnTerminal(text + tr("\n[y=确定 / N=取消] ", "\n[y=OK / N=Cancel] "));
}

QString tr(const char* zh, const char* en) {
    return pickText(zh, en);
}

bool english() {
    return LanguageMode == 1;
}

void setQuiet(bool quiet) {
    g_quiet = quiet;
}

bool quiet() {
    return g_quiet;
}

void progress(const QString& text) {
    if (!g_quiet) say(text);
}

void TerminalDetectionView::showPort(int port) {
    // The detection dialog's own line.
    progress(english() ? QStringLiteral("Detecting COM%1").arg(port)
                       : QString::fromUtf8("正在检查 COM%1").arg(port));
}

void TerminalDetectionView::setProgress(int) {}

void TerminalDetectionView::stepProgress() {}

void TerminalDetectionView::explain(const std::string& line) {
    progress(QString::fromStdString(line));
}

void TerminalDetectionView::explainPort(int port, const std::string& name,
                                        const std::string& outcome) {
    const QString reason = QString::fromStdString(name + ": " + outcome);
    reasons_[port] = reason;
    progress(tr("检测: ", "Detection: ") + reason);
}

bool TerminalDetectionView::english() const {
    return cli::english();
}

QStringList TerminalDetectionView::portReasons() const {
    QStringList lines;
    for (const auto& [port, reason] : reasons_) lines << reason;
    return lines;
}

void catchInterrupts() {
    struct sigaction sa {};
    sa.sa_handler = onInterrupt;
    sa.sa_flags = SA_RESTART;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

bool interrupted() {
    return g_interrupted != 0;
}

} // namespace omniset::cli
