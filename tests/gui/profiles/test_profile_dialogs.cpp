// The load, save and confirmation dialogs: their opening selection, ProfileNumber as the
// user picks, the sheet's flag on every way out, the lists across repaints and language
// switches, and their texts in both languages.
#include "qtest_main.h"

#include "core/app/language.h"
#include "core/link/profile_transfer.h"
#include "gui/profiles/profile_dialogs.h"
#include "gui/res/dialog_builder.h"
#include "gui/res/window_texts.h"

#include <QComboBox>
#include <QPushButton>
#include <QTimer>

#include <functional>
#include <memory>

using namespace omniset;

namespace {

QString u(const char* s) {
    return QString::fromUtf8(s);
}

enum Which { Load, Save, Current };
constexpr int kListOf[]{1079, 1081, 0};

std::unique_ptr<QDialog> makeDialog(int which, int& flag) {
    switch (which) {
    case Load:
        return std::make_unique<CLoadProfileDlg>(nullptr, flag);
    case Save:
        return std::make_unique<CSaveProfileDlg>(nullptr, flag);
    default:
        return std::make_unique<CCurrentProfileDlg>(nullptr, flag);
    }
}

QComboBox* list(QDialog* d, int which) {
    return res::control<QComboBox>(d, kListOf[which]);
}

// Shows the window and waits until it can paint, so that repaint() paints.
void showExposed(QWidget* w) {
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
}

QStringList items(QComboBox* box) {
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

// Runs the dialog modally; `act` runs inside its loop.
int runWith(QDialog* d, std::function<void()> act) {
    QTimer::singleShot(0, d, std::move(act));
    return d->exec();
}

} // namespace

class ProfileDialogsTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { LanguageMode = 1; }
    void loadOpensOnTheProfileShown_data();
    void loadOpensOnTheProfileShown();
    void choosingWritesProfileNumber_data();
    void choosingWritesProfileNumber();
    void saveAlwaysOpensOnProfileZero();
    void endings_data();
    void endings();
    void listsKeepTheirSizeAndSelection_data();
    void listsKeepTheirSizeAndSelection();
    void texts_data();
    void texts();
};

void ProfileDialogsTest::loadOpensOnTheProfileShown_data() {
    QTest::addColumn<int>("profile");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("entry");
    QTest::newRow("current") << 5 << 0 << "Current Profile";
    QTest::newRow("profile 0") << 0 << 1 << "Profile 0";
    QTest::newRow("profile 1") << 1 << 2 << "Profile 1";
}

void ProfileDialogsTest::loadOpensOnTheProfileShown() {
    QFETCH(int, profile);
    QFETCH(int, index);
    QFETCH(QString, entry);
    ProfileNumber = profile;
    int flag = 0;
    CLoadProfileDlg d(nullptr, flag);
    d.show();
    auto* box = list(&d, Load);
    QCOMPARE(box->currentIndex(), index);
    QCOMPARE(box->currentText(), entry);
    QCOMPARE(ProfileNumber, profile); // opening changes nothing
}

void ProfileDialogsTest::choosingWritesProfileNumber_data() {
    QTest::addColumn<int>("which");
    QTest::addColumn<int>("start");
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<QList<int>>("numbers"); // ProfileNumber after each key
    const int down = Qt::Key_Down, up = Qt::Key_Up;
    QTest::newRow("load from current")
        << int(Load) << 5 << QList<int>{down, down, down, up, up} << QList<int>{0, 1, 1, 0, 5};
    QTest::newRow("load from profile 1")
        << int(Load) << 1 << QList<int>{up, up} << QList<int>{0, 5};
    QTest::newRow("save") << int(Save) << 5 << QList<int>{down, down, up} << QList<int>{1, 1, 0};
}

void ProfileDialogsTest::choosingWritesProfileNumber() {
    QFETCH(int, which);
    QFETCH(int, start);
    QFETCH(QList<int>, keys);
    QFETCH(QList<int>, numbers);
    ProfileNumber = start;
    int flag = 0;
    auto d = makeDialog(which, flag);
    d->show();
    for (int i = 0; i < keys.size(); ++i) {
        QTest::keyClick(list(d.get(), which), Qt::Key(keys[i]));
        QCOMPARE(ProfileNumber, numbers[i]);
    }
}

void ProfileDialogsTest::saveAlwaysOpensOnProfileZero() {
    for (int start : {5, 1, 0}) {
        ProfileNumber = start;
        int flag = 0;
        CSaveProfileDlg d(nullptr, flag);
        QCOMPARE(ProfileNumber, 0);
        d.show();
        QCOMPARE(list(&d, Save)->currentIndex(), 0);
        QCOMPARE(list(&d, Save)->currentText(), u("Profile 0"));
    }
}

void ProfileDialogsTest::endings_data() {
    QTest::addColumn<int>("which");
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("flag");
    const char* names[]{"load", "save", "current"};
    for (int w : {Load, Save, Current}) {
        QTest::addRow("%s ok", names[w]) << w << "ok" << 1;
        QTest::addRow("%s return", names[w]) << w << "return" << 1;
        QTest::addRow("%s cancel", names[w]) << w << "cancel" << 0;
        QTest::addRow("%s escape", names[w]) << w << "escape" << 0;
        QTest::addRow("%s close box", names[w]) << w << "close" << 0;
    }
}

void ProfileDialogsTest::endings() {
    QFETCH(int, which);
    QFETCH(QString, how);
    QFETCH(int, flag);
    ProfileNumber = 5;
    int confirmed = 1 - flag; // the dialog must write the flag either way
    auto d = makeDialog(which, confirmed);
    QDialog* dlg = d.get();
    // Keys go where the user's focus is: the list, or the dialog itself.
    QWidget* keyTarget = which == Current ? static_cast<QWidget*>(dlg) : list(dlg, which);
    const int result = runWith(dlg, [&] {
        if (how == "ok")
            res::control<QPushButton>(dlg, 1)->click();
        else if (how == "cancel")
            res::control<QPushButton>(dlg, 2)->click();
        else if (how == "return")
            QTest::keyClick(keyTarget, Qt::Key_Return);
        else if (how == "escape")
            QTest::keyClick(keyTarget, Qt::Key_Escape);
        else
            dlg->close();
        if (dlg->isVisible()) dlg->done(-1); // the way out did not end the dialog
    });
    QCOMPARE(result, flag == 1 ? int(QDialog::Accepted) : int(QDialog::Rejected));
    QCOMPARE(confirmed, flag);
}

void ProfileDialogsTest::listsKeepTheirSizeAndSelection_data() {
    QTest::addColumn<int>("which");
    QTest::addColumn<int>("choose");
    QTest::addColumn<QStringList>("zh");
    QTest::addColumn<QStringList>("en");
    QTest::newRow("load") << int(Load) << 2 << QStringList{u("当前配置"), u("配置 0"), u("配置 1")}
                          << QStringList{"Current Profile", "Profile 0", "Profile 1"};
    QTest::newRow("save") << int(Save) << 1 << QStringList{u("配置 0"), u("配置 1")}
                          << QStringList{"Profile 0", "Profile 1"};
}

void ProfileDialogsTest::listsKeepTheirSizeAndSelection() {
    QFETCH(int, which);
    QFETCH(int, choose);
    QFETCH(QStringList, zh);
    QFETCH(QStringList, en);
    ProfileNumber = 5;
    int flag = 0;
    auto d = makeDialog(which, flag);
    showExposed(d.get());
    auto* box = list(d.get(), which);
    for (int i = 0; i < choose; ++i)
        QTest::keyClick(box, Qt::Key_Down);
    const int chosen = ProfileNumber;
    for (int round = 0; round < 6; ++round) {
        LanguageMode = round % 2;
        d->repaint();
        d->hide(); // shown again: the texts are set on show too
        d->show();
        QCOMPARE(items(box), LanguageMode ? en : zh);
        QCOMPARE(box->currentIndex(), choose);
    }
    QCOMPARE(ProfileNumber, chosen); // the rebuilds are not choices
}

void ProfileDialogsTest::texts_data() {
    QTest::addColumn<int>("which");
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("labelId");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("ok");
    QTest::addColumn<QString>("cancel");
    QTest::newRow("load zh") << int(Load) << 0 << u("读取配置") << 1193 << u("请选择:") << u("确定")
                             << u("取消");
    QTest::newRow("load en") << int(Load) << 1 << u("Loading Profile") << 1193 << u("Select:")
                             << u("Ok") << u("Cancel");
    QTest::newRow("save zh") << int(Save) << 0 << u("保存配置") << 1195 << u("请选择:") << u("确定")
                             << u("取消");
    QTest::newRow("save en") << int(Save) << 1 << u("Saving Profile") << 1195 << u("Select:")
                             << u("Ok") << u("Cancel");
    QTest::newRow("current zh") << int(Current) << 0 << u("当前配置") << 1196
                                << u("将此配置作为当前配置？") << u("确定") << u("取消");
    QTest::newRow("current en") << int(Current) << 1 << u("Current Profile") << 1196
                                << u("Saving as current profile?") << u("Ok") << u("Cancel");
}

void ProfileDialogsTest::texts() {
    QFETCH(int, which);
    QFETCH(int, language);
    QFETCH(QString, caption);
    QFETCH(int, labelId);
    QFETCH(QString, label);
    QFETCH(QString, ok);
    QFETCH(QString, cancel);
    LanguageMode = 1 - language;
    int flag = 0;
    auto d = makeDialog(which, flag);
    showExposed(d.get());
    LanguageMode = language;
    d->repaint();
    QCOMPARE(d->windowTitle(), caption);
    QCOMPARE(res::widgetText(res::control<QWidget>(d.get(), labelId)), label);
    QCOMPARE(res::control<QPushButton>(d.get(), 1)->text(), ok);
    QCOMPARE(res::control<QPushButton>(d.get(), 2)->text(), cancel);
    QVERIFY(res::control<QPushButton>(d.get(), 1)->isDefault());
}

OMNISET_QTEST_MAIN(ProfileDialogsTest)
#include "test_profile_dialogs.moc"
