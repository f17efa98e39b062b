#include "gui/link/detection_dialog.h"

#include "core/app/messages.h"
#include "core/platform/process.h"
#include "gui/res/dialog_builder.h"
#include "gui/res/program_icon.h"
#include "gui/res/templates.h"
#include "gui/res/window_texts.h"

#include <QProgressBar>
#include <QPushButton>
#include <QTimerEvent>

namespace omniset {

namespace {
constexpr int kTextId = 1056;
constexpr int kProgressId = 1057;
constexpr int kStopId = 2;
constexpr int kTimerPeriodMs = 50;
} // namespace

CDetectDlg::CDetectDlg(QWidget* parent) : LanguageWindow<QDialog>(parent) {
    res::buildWindow(this, res::kDetectTemplate);
    setWindowIcon(res::programIcon());
    progress_ = res::control<QProgressBar>(this, kProgressId);
    connect(res::control<QPushButton>(this, kStopId), &QPushButton::clicked, this,
            &CDetectDlg::reject);
    progress_->setRange(0, kProgressRange);
    progress_->setValue(0);
}

void CDetectDlg::refreshTexts() {
    // While the scan runs the text names the port being tried, in the current language.
    // (Each text is set once per repaint: a changed text would ask for another repaint.)
    for (const res::TextEntry& e : res::kDetectTexts) {
        if (e.id == kTextId && port_ > 0) res::setControlText(this, kTextId, portText(port_));
        else res::applyTexts(this, res::TextTable(&e, 1));
    }
}

QString CDetectDlg::portText(int port) {
    return res::textFor(res::kDetectPortText).replace(QStringLiteral("%d"), QString::number(port));
}

void CDetectDlg::showEvent(QShowEvent* e) {
    LanguageWindow<QDialog>::showEvent(e);
    if (timer_ || timerTicks_ != 0) return;
    timer_ = startTimer(kTimerPeriodMs);
    if (!timer_) {
        // Without the timer there is no scan; only Stop acts.
        timer_ = -1;
        ownedBox(this, "资源不足，请关闭一些正在运行的应用程序！",
                 "Not enough resources, please close some running programmes!");
    }
}

void CDetectDlg::timerEvent(QTimerEvent* e) {
    if (e->timerId() != timer_) return LanguageWindow<QDialog>::timerEvent(e);
    // The scan runs inside the second timer message.
    if (timerTicks_++ != 1) return;
    killTimer(timer_);
    timer_ = -1;
    found_ = scan_.run(*this) == ScanResult::Found;
    port_ = 0;
    if (found_) accept();
}

void CDetectDlg::reject() {
    ownedBox(this, "停止搜寻Brantis KX220!", "Stop searching Brantis KX220!");
    scan_.stop(); // a scan waiting below this handler gives up at its next step
    platform::endProcess(0);
}

void CDetectDlg::showPort(int port) {
    port_ = port;
    res::setControlText(this, kTextId, portText(port));
}

void CDetectDlg::setProgress(int position) { progress_->setValue(position); }

void CDetectDlg::stepProgress() {
    // Like the platform's progress bar, stepping past the end starts again at the start.
    int next = progress_->value() + 1;
    progress_->setValue(next > progress_->maximum() ? progress_->minimum() : next);
}

} // namespace omniset
