#include "gui/profiles/status_dialogs.h"

#include "core/app/app_state.h"
#include "gui/res/dialog_builder.h"
#include "gui/res/templates.h"
#include "gui/res/window_texts.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QPointer>

namespace omniset {

namespace {

QPointer<CReadingDlg> g_reading;
QPointer<CSavingDlg> g_saving;

template <class Dlg> Dlg* showOnce(QPointer<Dlg>& slot, QWidget* parent) {
    if (!slot) slot = new Dlg(parent);
    return slot;
}

template <class Dlg> void closeOnce(QPointer<Dlg>& slot) {
    delete slot.data(); // the QPointer clears itself
}

} // namespace

StatusWindow::StatusWindow(QWidget* parent, const res::DialogTemplate& tpl)
    : LanguageWindow<QDialog>(parent) {
    res::buildWindow(this, tpl);
    setModal(false);
    // A status window never takes input, so showing it leaves the focus where it was.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowFlag(Qt::WindowDoesNotAcceptFocus);
}

// Close requests come from the user (the window manager); only the creator closes.
void StatusWindow::closeEvent(QCloseEvent* e) {
    e->ignore();
}

// The exchange that follows may not dispatch events for a while, so the window paints
// now; user input stays queued for the windows it was meant for.
void StatusWindow::showNow() {
    show();
    raise();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    repaint();
}

CReadingDlg::CReadingDlg(QWidget* parent) : StatusWindow(parent, res::kReadingTemplate) {
    showNow();
}

void CReadingDlg::refreshTexts() {
    res::applyTexts(this, readingTexts());
}

CSavingDlg::CSavingDlg(QWidget* parent) : StatusWindow(parent, res::kSavingTemplate) {
    showNow();
}

void CSavingDlg::refreshTexts() {
    // Every repaint shows the wait cursor again, also after the arrow came back.
    if (!m_waitCursor || !m_waitCursor->showing()) m_waitCursor.emplace();
    setCursor(Qt::WaitCursor);
    res::applyTexts(this, res::kSavingTexts);
}

res::TextTable readingTexts() {
    if (!DownloadActive) return res::kReadingTexts;
    return DownloadFinished ? res::kFinishingTexts : res::kPrepareTexts;
}

CReadingDlg* showReadingStatus(QWidget* parent) {
    return showOnce(g_reading, parent);
}
void closeReadingStatus() {
    closeOnce(g_reading);
}
CReadingDlg* readingStatus() {
    return g_reading;
}

CSavingDlg* showSavingStatus(QWidget* parent) {
    return showOnce(g_saving, parent);
}
void closeSavingStatus() {
    closeOnce(g_saving);
}
CSavingDlg* savingStatus() {
    return g_saving;
}

} // namespace omniset
