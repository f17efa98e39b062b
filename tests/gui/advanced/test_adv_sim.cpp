// End to end against kx220-sim on a pty (the real executable, the real clock): quick-dial
// numbers stored by OK are read back when the dialog opens again, and are in the
// simulator's store; the asynchronous line chosen is in the settings file.
#include "core/link/profile_transfer.h"
#include "core/link/serial_channel.h"
#include "core/platform/paths.h"
#include "gui/pages/dataport_adv.h"
#include "gui/pages/port_pages.h"
#include "port_fixture.h"
#include "qtest_main.h"
#include "sim_process.h"
#include "test_env.h"
#include "testkit.h"
#include "ui_script.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>

using namespace omniset;
using namespace omniset::test;

namespace {

constexpr int kQuickIds[] = {1199, 1200, 1095, 1098};
const QStringList kNumbers{"5551234", "", "0123456789", QString(26, u'9')};

QStringList shownNumbers(QWidget* dlg) {
    QStringList out;
    for (int id : kQuickIds) out << lineEdit(dlg, id)->text();
    return out;
}

QString fileText(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

} // namespace

class AdvancedSimTest : public QObject {
    Q_OBJECT

  private slots:
    void storedNumbersAndLineSettingsThroughKx220Sim() {
        ScriptedBoxes boxes;
        const QString store = scratchRoot() + "/sim/adv.store";
        QDir().mkpath(scratchRoot() + "/sim");
        SimProcess sim({"--com", "1", "--store", store.toStdString()});
        QVERIFY(SerialOpen(1));
        DetermineProfileLength();
        UnlockProfiles();
        QVERIFY(ReadProfile(profileReadCommand(kCurrentProfile)));
        CDataPortPage page;
        page.initialise();

        // The user opens the dialog with the page's Advanced button, edits, and presses OK.
        UiScript script;
        QStringList opened;
        script.when(activeModal<CDataPortAdvDlg>, [&] {
            auto* d = activeModal<CDataPortAdvDlg>();
            opened = shownNumbers(d);
            for (int i = 0; i < 4; ++i) type(d, kQuickIds[i], kNumbers[i]);
            pick(d, 1015, 4); // 9600
            pick(d, 1020, 1); // even
            clickButton(d, 1);
        });
        script.start(60000);
        click(&page, 1090);
        QVERIFY(script.done());
        QCOMPARE(opened, QStringList({"", "", "", ""})); // a new store holds no numbers
        QCOMPARE(int(ProfileImage().byte(field::AsyncBaud)), 4);

        const QString ini = fileText(platform::settingsFilePath());
        QVERIFY2(ini.contains("[Asychron_set]"), qPrintable(ini));
        QVERIFY2(ini.contains("m_baudrate2=4") && ini.contains("m_paritychk2=1"), qPrintable(ini));

        // As a user would, some time later: the dialog opens again and reads them back.
        QTest::qWait(500);
        CDataPortAdvDlg again(page);
        again.initialise();
        QCOMPARE(shownNumbers(&again), kNumbers);
        QVERIFY(boxes.shown.empty());
        SerialClose();
        sim.stop();
        const QString kept = fileText(store);
        QVERIFY2(kept.contains("quickdial 0 5551234") && kept.contains("quickdial 2 0123456789"),
                 qPrintable(kept));
        makePortDangling(1);
    }
};

OMNISET_QTEST_MAIN(AdvancedSimTest)
#include "test_adv_sim.moc"
