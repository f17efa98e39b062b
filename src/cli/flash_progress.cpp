#include "cli/flash_progress.h"

#include "cli/terminal.h"
#include "core/app/app_state.h"
#include "core/record/adapter_commands.h"

#include <cstdio>

namespace omniset::cli {

namespace {

constexpr int kTenths = 10;
constexpr double kKilo = 1024.0;
constexpr int kSecondsPerMinute = 60;

QString kb(qint64 bytes) { return QString::number(bytes / kKilo, 'f', 1) + QStringLiteral(" KB"); }

} // namespace

QString progressLine(int blocks, int total, qint64 bytes, qint64 size, double bytesPerSecond,
                     int resends) {
    QString left = QStringLiteral("-:--");
    if (bytesPerSecond > 0) {
        const auto seconds = static_cast<qint64>((size - bytes) / bytesPerSecond + 0.5);
        left = QStringLiteral("%1:%2")
                   .arg(seconds / kSecondsPerMinute)
                   .arg(seconds % kSecondsPerMinute, 2, 10, QLatin1Char('0'));
    }
    return tr("数据块 %1/%2  %3/%4  %5/s  剩余 %6  重试 %7",
              "blocks %1/%2  %3/%4  %5/s  %6 left  resends %7")
        .arg(blocks)
        .arg(total)
        .arg(kb(bytes), kb(size), kb(static_cast<qint64>(bytesPerSecond)), left)
        .arg(resends);
}

FlashProgress::FlashProgress(qint64 size, bool terminal)
    : size_(size), terminal_(terminal),
      total_(static_cast<int>((size + kx220::kXModemBlockSize - 1) / kx220::kXModemBlockSize)) {
    clock_.start();
}

double FlashProgress::rate() const {
    // The boot loader's start and the first block's round trip are not the line's rate.
    const qint64 ms = lastAckMs_ - firstAckMs_;
    return ms > 0 ? static_cast<double>(bytes_ - firstBytes_) * 1000.0 / static_cast<double>(ms) : 0.0;
}

double FlashProgress::elapsedSeconds() const { return static_cast<double>(clock_.elapsed()) / 1000.0; }

void FlashProgress::showCounts(int, int resends) {
    // Ctrl-C does what the progress window's Cancel does; the loop stops right after.
    if (interrupted()) DownloadActive = 0;
    if (resends != resends_) {
        resends_ = resends;
        if (terminal_) draw();
    }
}

void FlashProgress::acknowledged(qint64 bytes) {
    bytes_ = bytes;
    lastAckMs_ = clock_.elapsed();
    if (firstAckMs_ < 0) {
        firstAckMs_ = lastAckMs_;
        firstBytes_ = bytes;
    }
}

void FlashProgress::step() {
    ++blocks_;
    if (terminal_) return draw();
    const int tenth = total_ > 0 ? blocks_ * kTenths / total_ : kTenths;
    if (tenth == lastTenth_) return;
    lastTenth_ = tenth;
    progress(progressLine(blocks_, total_, bytes_, size_, rate(), resends_));
}

void FlashProgress::draw() {
    const QString line = progressLine(blocks_, total_, bytes_, size_, rate(), resends_);
    std::fprintf(stderr, "\r%s\033[K", line.toLocal8Bit().constData());
    std::fflush(stderr);
    openLine(); // a message said meanwhile goes below it
}

void FlashProgress::finish() {
    if (terminal_) endOpenLine();
}

} // namespace omniset::cli
