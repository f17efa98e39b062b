#include "gui/download/download_dlg.h"

#include "core/app/app_state.h"
#include "gui/res/dialog_builder.h"
#include "gui/res/templates.h"
#include "gui/res/window_texts.h"
#include "gui/toolkit/data_exchange.h"

#include <QCloseEvent>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>

namespace omniset {

namespace {

// Controls of template 167.
constexpr int kPathId = 1095;
constexpr int kPacketId = 1096;
constexpr int kSizeId = 1097;
constexpr int kResendId = 1098;
constexpr int kCheckId = 1100;
constexpr int kBarId = 1146;
constexpr int kCancelId = 2;

constexpr int kCountLimit = 0x7FFFFFFF;
constexpr char kErrorCheck[] = "CRC";

QPointer<CDownloadDlg> g_window;

} // namespace

CDownloadDlg::CDownloadDlg(QWidget* parent) : LanguageWindow<QDialog>(parent) {
    res::buildWindow(this, res::kDownloadTemplate);
    setModal(false);
    // A window is not disabled with its parent: the page is disabled while this runs.
    setEnabled(true);
    connect(res::control<QPushButton>(this, kCancelId), &QPushButton::clicked, this,
            &CDownloadDlg::Cancel);
    m_strCheck = QString::fromLatin1(kErrorCheck);
    pushValues();
    // One progress window at a time: a newer one replaces the one left after a failure.
    if (g_window) delete g_window.data();
    g_window = this;
}

CDownloadDlg::~CDownloadDlg() = default;

void CDownloadDlg::refreshTexts() { res::applyTexts(this, res::kDownloadTexts); }

QProgressBar* CDownloadDlg::progressBar() const {
    return res::control<QProgressBar>(const_cast<CDownloadDlg*>(this), kBarId);
}

void CDownloadDlg::setFile(const QString& path, int sizeK) {
    m_strFileName = path;
    m_nFileSize = sizeK;
    // A file under 1 K still gets a bar that fills (a range of 0..0 is a busy indicator).
    progressBar()->setRange(0, std::max(sizeK, 1));
    progressBar()->setValue(0);
    m_nStep = 1;
}

void CDownloadDlg::pushValues() {
    DataExchange dx(this, false);
    dx.text(kPathId, m_strFileName);
    dx.integer(kSizeId, m_nFileSize, 0, kCountLimit);
    dx.integer(kPacketId, m_nPacket, 0, kCountLimit);
    dx.integer(kResendId, m_nResend, 0, kCountLimit);
    dx.text(kCheckId, m_strCheck);
}

void CDownloadDlg::Refresh() {
    pushValues();
    repaint();
}

void CDownloadDlg::Step() {
    QProgressBar* bar = progressBar();
    bar->setValue(std::min(bar->value() + m_nStep, bar->maximum()));
}

void CDownloadDlg::showCounts(int packet, int resends) {
    m_nPacket = packet;
    m_nResend = resends;
    Refresh();
}

void CDownloadDlg::Cancel() {
    DownloadActive = 0;
    hide();
    deleteLater(); // the transfer loop may be on the stack below this click
}

void CDownloadDlg::closeEvent(QCloseEvent* e) {
    e->ignore();
    Cancel();
}

CDownloadDlg* downloadWindow() { return g_window; }

} // namespace omniset
