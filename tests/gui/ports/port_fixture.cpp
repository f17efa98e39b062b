#include "port_fixture.h"

#include "gui/res/dialog_builder.h"
#include "ui_script.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QtTest>

#include <random>

namespace omniset::test {

namespace f = omniset::field;

namespace {

void setTexts(ProfileRecord& r) {
    const std::pair<int, const char*> texts[] = {
        {f::AutoDialNumber, "5551234"}, {f::DataMsn, "5550100"}, {f::Tel1Msn, "5550101"},
        {f::Tel2Msn, "5550102"},        {f::DataSubaddress, ""}, {f::Tel1Subaddress, "21"},
        {f::Tel2Subaddress, ""},        {f::DataUus, "data"},    {f::Tel1Uus, "hello tel1"},
        {f::Tel2Uus, "uus two"},        {f::NationalPrefix, "0"}, {f::InternationalPrefix, "00"}};
    for (auto [offset, text] : texts) r.setText(offset, findField(offset)->width, text);
}

} // namespace

ProfileRecord validRecord(int length, unsigned seed) {
    ProfileRecord r(length);
    std::mt19937 random(seed);
    for (int i = 0; i < length; ++i) r.setByte(i, static_cast<std::uint8_t>(random()));
    const std::pair<int, int> codes[] = {
        {f::AnswerMode, 1},    {f::ReleaseTime, 6},  {f::FareUnit, 18},     {f::LowerThreshold, 96},
        {f::UpperThreshold, 112}, {f::V120Window, 7}, {f::AsyncBaud, 8},    {f::AsyncDataBits, 1},
        {f::AsyncParity, 2},   {f::AsyncStopBits, 0}, {f::SyncBaud, 3},     {f::DcdHandling, 0},
        {f::CheckDtr, 0},      {f::DsrHandling, 1},  {f::SerialMode, 0},    {f::FlowControl, 2},
        {f::Protocol, 2},      {f::DialMode, 0},     {f::V120Service, 1},   {f::V120LliNegotiation, 1},
        {f::DataClir, 0},      {f::Tel1Clir, 1},     {f::Tel2Clir, 0},      {f::DataColr, 1},
        {f::Tel1Colr, 0},      {f::Tel2Colr, 1},     {f::Tel1Bearer, 0},    {f::Tel2Bearer, 1},
        {f::CodingLaw, 0}};
    for (auto [offset, value] : codes) r.setByte(offset, static_cast<std::uint8_t>(value));
    setTexts(r);
    return r;
}

ProfileRecord syncAutoDialRecord(int length, unsigned seed) {
    ProfileRecord r = validRecord(length, seed);
    r.setByte(f::SerialMode, 1);
    r.setByte(f::FlowControl, 2);
    r.setByte(f::SyncBaud, 4);
    r.setByte(f::Protocol, 1);
    r.setByte(f::CheckDtr, 1);
    r.setByte(f::DialMode, 3);
    r.setText(f::AutoDialNumber, 32, "0123456789");
    return r;
}

QStringList unexpectedBytes(const ProfileRecord& before, const ProfileRecord& after,
                            const Bytes& expected) {
    QStringList out;
    for (int i = 0; i < before.length(); ++i) {
        auto it = expected.writes.find(i);
        const int want = it != expected.writes.end() ? it->second : before.byte(i);
        if (after.byte(i) != want)
            out << QStringLiteral("%1: %2 -> %3 (expected %4)")
                       .arg(i).arg(before.byte(i)).arg(after.byte(i)).arg(want);
    }
    return out;
}

QLineEdit* lineEdit(QWidget* window, int id) { return res::control<QLineEdit>(window, id); }
QAbstractButton* button(QWidget* window, int id) { return res::control<QAbstractButton>(window, id); }
QComboBox* combo(QWidget* window, int id) { return res::control<QComboBox>(window, id); }

void click(QWidget* window, int id) { button(window, id)->click(); }

void type(QWidget* window, int id, const QString& text) {
    auto* e = lineEdit(window, id);
    e->selectAll();
    if (text.isEmpty()) QTest::keyClick(e, Qt::Key_Backspace);
    else QTest::keyClicks(e, text);
}

void paste(QWidget* window, int id, const QString& text) {
    auto* e = lineEdit(window, id);
    QApplication::clipboard()->setText(text);
    e->selectAll();
    e->paste();
}

void pick(QWidget* window, int id, int index) { chooseItem(combo(window, id), index); }

} // namespace omniset::test
