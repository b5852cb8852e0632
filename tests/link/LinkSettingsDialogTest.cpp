#include "classlib/ProfileSettings.h"
#include "link/LinkSettingsDialog.h"
#include "link/SerialLink.h"
#include "platform/LanguageLibrary.h"
#include "platform/MessageBox.h"
#include "platform/SerialDeviceMap.h"
#include "tests/support/TestEnvironment.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using tallix::test::TestEnvironment;
using Dlg = CQXLinkSettingsDialog;

namespace {

std::string profileText(const char* key) {
  std::string value;
  AppGetProfileString(&value, kCommSettings, key, "<none>");
  return value;
}

class LinkSettingsDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CLanguageLibrary::IsLoaded());
    env.writeProgramFile(QStringLiteral("QXGraph.lst"),
                         "[CFX-TEST]\r\nComm=1,2,4800,9600,4\r\n[FREE]\r\nComm=0,1,1200,1200,4\r\n");
  }
  void writeCables() {
    env.writeProgramFile(QStringLiteral("Interface.lst"),
                         "[Interface]\r\nLINE-A\r\nLINE-B\r\n[LINE-A]\r\nDTR=1\r\nRTS=1\r\n[LINE-B]\r\n");
  }
  QSpinBox* port(Dlg& d) { return d.GetDlgItemAs<QSpinBox>(Dlg::IDC_PORT); }
  QComboBox* combo(Dlg& d, int id) { return d.GetDlgItemAs<QComboBox>(id); }
  QCheckBox* check(Dlg& d, int id) { return d.GetDlgItemAs<QCheckBox>(id); }
  void clickOK(Dlg& d) {
    auto* ok = d.GetDlgItemAs<QPushButton>(1);
    ASSERT_TRUE(ok);
    QTest::mouseClick(ok, Qt::LeftButton);
  }

  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
};

TEST_F(LinkSettingsDialog, ShowsTheUsersSettingsAndTheShippedCable) {
  ASSERT_TRUE(env.copyFromBuild(QStringLiteral("Interface.lst")));
  AppWriteProfileInt(kCommSettings, "Port", 3);
  AppWriteProfileString(kCommSettings, "Baud", "4800");
  AppWriteProfileInt(kCommSettings, "Parity", 1);
  AppWriteProfileInt(kCommSettings, "DTR", 1);
  AppWriteProfileInt(kCommSettings, "RTS", 0);
  Dlg dialog("FREE");
  ASSERT_TRUE(dialog.Create());
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Paramètres"));
  EXPECT_EQ(port(dialog)->value(), 3);
  EXPECT_EQ(port(dialog)->maximum(), 255);
  EXPECT_EQ(combo(dialog, Dlg::IDC_BAUD)->currentText(), QStringLiteral("4800"));
  EXPECT_EQ(combo(dialog, Dlg::IDC_BAUD)->count(), 10);
  EXPECT_TRUE(combo(dialog, Dlg::IDC_BAUD)->isEnabled());
  EXPECT_EQ(combo(dialog, Dlg::IDC_PARITY)->currentText(), QStringLiteral("ODD"));
  QComboBox* cable = combo(dialog, Dlg::IDC_CABLE);
  ASSERT_EQ(cable->count(), 2);
  EXPECT_EQ(cable->itemText(0), QStringLiteral("TALLIX"));
  EXPECT_EQ(cable->itemText(1), QStringLiteral("Autre câble"));
  EXPECT_EQ(cable->currentIndex(), 0);  // "Cable" defaults to TALLIX
  // The cable dictates the lines.
  EXPECT_FALSE(check(dialog, Dlg::IDC_DTR)->isChecked());
  EXPECT_TRUE(check(dialog, Dlg::IDC_RTS)->isChecked());
  EXPECT_FALSE(check(dialog, Dlg::IDC_DTR)->isEnabled());
}

TEST_F(LinkSettingsDialog, AnotherCableLetsTheUserSetTheLinesAndOKWritesAll) {
  writeCables();
  AppWriteProfileInt(kCommSettings, "DTR", 1);
  AppWriteProfileInt(kCommSettings, "RTS", 0);
  AppWriteProfileString(kCommSettings, "Cable", "LINE-B");
  Dlg dialog("FREE");
  ASSERT_TRUE(dialog.Create());
  QComboBox* cable = combo(dialog, Dlg::IDC_CABLE);
  ASSERT_EQ(cable->currentText(), QStringLiteral("LINE-B"));
  EXPECT_FALSE(check(dialog, Dlg::IDC_DTR)->isChecked());
  EXPECT_FALSE(check(dialog, Dlg::IDC_RTS)->isChecked());
  cable->setCurrentIndex(0);
  EXPECT_TRUE(check(dialog, Dlg::IDC_DTR)->isChecked());
  EXPECT_TRUE(check(dialog, Dlg::IDC_RTS)->isChecked());
  cable->setCurrentIndex(2);
  ASSERT_TRUE(check(dialog, Dlg::IDC_DTR)->isEnabled());
  EXPECT_TRUE(check(dialog, Dlg::IDC_DTR)->isChecked());
  EXPECT_FALSE(check(dialog, Dlg::IDC_RTS)->isChecked());

  check(dialog, Dlg::IDC_DTR)->setChecked(false);
  check(dialog, Dlg::IDC_RTS)->setChecked(true);
  port(dialog)->setValue(12);
  combo(dialog, Dlg::IDC_BAUD)->setCurrentText(QStringLiteral("19200"));
  combo(dialog, Dlg::IDC_PARITY)->setCurrentText(QStringLiteral("EVEN"));
  clickOK(dialog);
  EXPECT_EQ(dialog.GetModalResult(), IDOK);
  EXPECT_EQ(AppGetProfileInt(kCommSettings, "Port", 0), 12);
  EXPECT_EQ(profileText("Baud"), "19200");
  EXPECT_EQ(AppGetProfileInt(kCommSettings, "Parity", -1), 2);
  EXPECT_EQ(AppGetProfileInt(kCommSettings, "DTR", -1), 0);
  EXPECT_EQ(AppGetProfileInt(kCommSettings, "RTS", -1), 1);
  EXPECT_EQ(profileText("Cable"), "Autre c\xE2" "ble");  // Windows-1252
}

TEST_F(LinkSettingsDialog, AModelThatFixesRateAndParityShowsThemButKeepsThem) {
  writeCables();
  AppWriteProfileString(kCommSettings, "Cable", "LINE-A");
  Dlg dialog("CFX-TEST");
  ASSERT_TRUE(dialog.Create());
  EXPECT_TRUE(dialog.ModelFixesSettings());
  EXPECT_EQ(combo(dialog, Dlg::IDC_BAUD)->currentText(), QStringLiteral("4800"));
  EXPECT_EQ(combo(dialog, Dlg::IDC_PARITY)->currentText(), QStringLiteral("EVEN"));
  EXPECT_FALSE(combo(dialog, Dlg::IDC_BAUD)->isEnabled());
  EXPECT_FALSE(combo(dialog, Dlg::IDC_PARITY)->isEnabled());
  clickOK(dialog);
  EXPECT_EQ(profileText("Baud"), "<none>");
  EXPECT_EQ(AppGetProfileInt(kCommSettings, "Parity", -1), -1);
  EXPECT_EQ(AppGetProfileInt(kCommSettings, "DTR", -1), 1);  // the cable's lines
  EXPECT_EQ(AppGetProfileInt(kCommSettings, "RTS", -1), 1);
  EXPECT_EQ(AppGetProfileInt(kCommSettings, "Port", -1), 1);
  EXPECT_EQ(profileText("Cable"), "LINE-A");
}

TEST_F(LinkSettingsDialog, ARateOutsideTheListIsShownAndKept) {
  AppWriteProfileString(kCommSettings, "Baud", "28800");
  AppWriteProfileString(kCommSettings, "Cable", "GONE");  // no cable list at all
  Dlg dialog("FREE");
  ASSERT_TRUE(dialog.Create());
  EXPECT_EQ(combo(dialog, Dlg::IDC_BAUD)->currentText(), QStringLiteral("28800"));
  EXPECT_EQ(combo(dialog, Dlg::IDC_CABLE)->count(), 1);
  EXPECT_TRUE(check(dialog, Dlg::IDC_RTS)->isChecked());  // "RTS" defaults to on
  clickOK(dialog);
  EXPECT_EQ(profileText("Baud"), "28800");
  EXPECT_EQ(AppGetProfileInt(kCommSettings, "Parity", -1), 0);
}

TEST_F(LinkSettingsDialog, CancelWritesNothing) {
  Dlg dialog("FREE");
  ASSERT_TRUE(dialog.Create());
  port(dialog)->setValue(200);
  QTest::mouseClick(dialog.GetDlgItemAs<QPushButton>(2), Qt::LeftButton);
  EXPECT_EQ(dialog.GetModalResult(), IDCANCEL);
  EXPECT_EQ(AppGetProfileInt(kCommSettings, "Port", -1), -1);
  EXPECT_EQ(profileText("Cable"), "<none>");
}

// Beside the number, the device it opens: the user's own entry, else the
// default list's (USB adapters first), else none.
TEST_F(LinkSettingsDialog, ShowsTheDeviceThePortNumberOpens) {
  QTemporaryDir dev, sys;
  for (const char* name : {"ttyS0", "ttyUSB0"})
    ASSERT_TRUE(tallix::test::writeFileContents(dev.filePath(QLatin1String(name)), "x"));
  ASSERT_TRUE(QDir(sys.path()).mkpath(QStringLiteral("ttyS0")));
  ASSERT_TRUE(tallix::test::writeFileContents(sys.filePath(QStringLiteral("ttyS0/type")), "4"));
  SetSerialDeviceDirectories(dev.path().toStdString(), sys.path().toStdString());
  struct Restore {
    ~Restore() { SetSerialDeviceDirectories({}, {}); }
  } restore;
  AppWriteProfileString(kCommDevicesSection, "COM5", "/dev/serial/by-id/usb-cable");
  Dlg dialog("FREE");
  ASSERT_TRUE(dialog.Create());
  auto* device = dialog.GetDlgItemAs<QLabel>(Dlg::IDC_PORT_DEVICE);
  ASSERT_TRUE(device);
  QStringList shown;
  for (int number : {1, 2, 3, 5}) {
    port(dialog)->setValue(number);
    shown << device->text();
  }
  EXPECT_EQ(shown, QStringList({dev.filePath(QStringLiteral("ttyUSB0")), dev.filePath(QStringLiteral("ttyS0")),
                                QStringLiteral("aucun périphérique"), QStringLiteral("/dev/serial/by-id/usb-cable")}));
}

TEST(LinkSettingsDialogTemplate, IsMissingWithoutTheLanguageLibrary) {
  TestEnvironment env;
  Dlg dialog("FREE");
  EXPECT_FALSE(dialog.Create());
  EXPECT_EQ(dialog.DoModal(), -1);
}

}  // namespace
