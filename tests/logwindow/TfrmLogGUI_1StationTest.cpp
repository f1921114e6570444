// The radio and WSJT-X in the log window: the entry row follows Hamlib's
// dummy rig (directly and through rigctld) until a call is typed; contacts
// sent over UDP are stored once and shown above the entry row.
#include <QCheckBox>
#include <QEventLoop>
#include <QLabel>
#include <QListWidget>
#include <QSpinBox>
#include <QTimer>

#include "LogWindowFixture.h"
#include "logwindow/TRadioSettingsDialog.h"
#include "logwindow/TRigFollower.h"
#include "rig/TRigSettings.h"
#include "rig/TRigctld.h"
#include "wsjtx/WsjtxTestDatagrams.h"

namespace {

using W = TfrmLogGUI_1;

class StationTest : public LogWindowTest {
protected:
    // Reads the radio the settings name, quickly (the intervals only pace
    // the reader; the tests wait for its reports).
    void Follow(int model, const std::string& port) {
        w->RigFollower->Poll = w->RigFollower->Retry = std::chrono::milliseconds(5);
        TRigSettings s;
        s.Enabled = true;
        s.Model = model;
        s.Port = port;
        w->ApplyStationSettings(s);
    }
    // Runs the event loop until the status label reads `status` and the
    // report that set it has been applied; only a hang reaches the bound.
    bool WaitRig(const std::string& status) {
        QEventLoop loop;
        auto done = [&] { return w->lblRig->text().toStdString() == status; };
        QObject::connect(w->RigFollower.get(), &TRigFollower::Reported, &loop, [&] {
            if (done())
                loop.quit();
        });
        QTimer::singleShot(30000, &loop, &QEventLoop::quit);
        if (!done())
            loop.exec();
        return done();
    }
    std::string EntryFreqMode() {
        return Cell(W::colFrequency, EntryRow()) + " " + Cell(W::colMode, EntryRow());
    }
};

}  // namespace

TEST_F(StationTest, EntryRowFollowsHamlibsDummyRigDirectly) {
    Start();
    EXPECT_EQ(TRigFollower::kOff, w->lblRig->text().toStdString());  // nothing stored: off
    Follow(1, "");
    ASSERT_TRUE(WaitRig("Rig: 145.000 MHz FM"));
    EXPECT_EQ("145.000 FM", EntryFreqMode());
}

TEST_F(StationTest, EntryRowFollowsRigctldUntilACallIsTypedAndTheNextEntryRowFollowsAgain) {
    TRigctld radio;
    ASSERT_TRUE(radio.Start(TRigctld::FreePort()));
    Start();
    Follow(TRigSettings::kNetRigctlModel, radio.Address());
    ASSERT_TRUE(WaitRig("Rig: 145.000 MHz FM"));
    ASSERT_TRUE(radio.Command({"F", "14074000", "M", "USB", "0"}));
    ASSERT_TRUE(WaitRig("Rig: 14.074 MHz USB"));
    EXPECT_EQ("14.074 SSB", EntryFreqMode());
    ASSERT_TRUE(radio.Command({"M", "PKTUSB", "0"}));
    ASSERT_TRUE(WaitRig("Rig: 14.074 MHz PKTUSB"));
    EXPECT_EQ("14.074 SSB", EntryFreqMode());  // a data mode leaves the mode alone

    Move(W::colCall, EntryRow());
    Type("dl1abc");
    ASSERT_TRUE(radio.Command({"F", "7030000", "M", "CW", "0"}));
    ASSERT_TRUE(WaitRig("Rig: 7.030 MHz CW"));
    EXPECT_EQ("14.074 SSB", EntryFreqMode());  // never under the operator's typing

    Key(Qt::Key_Return);
    EXPECT_EQ("DL1ABC 14.074 SSB", Stored("DL1ABC")[0].Call + " " + Stored("DL1ABC")[0].Frequency +
                                       " " + Stored("DL1ABC")[0].Mode);
    ASSERT_TRUE(radio.Command({"F", "7031000", "M", "CW", "0"}));
    ASSERT_TRUE(WaitRig("Rig: 7.031 MHz CW"));
    EXPECT_EQ("7.031 CW", EntryFreqMode());

    radio.Stop();  // the radio stops answering
    ASSERT_TRUE(WaitRig(TRigFollower::kNotConnected));
}

TEST_F(StationTest, ContactsFromWsjtxAreStoredOnceAndShownAboveTheEntryRow) {
    Seed(kFourContacts);  // K1ABC on 05/16
    Start();
    const quint16 port = FreeUdpPort();
    TRigSettings s;
    s.WsjtxPort = port;
    w->ApplyStationSettings(s);
    Move(W::colCall, EntryRow());
    Type("W1X");  // the operator is typing the next contact
    const int entry = EntryRow();

    w->InGridClick = -1;        // a grid handler runs: the contact waits in the socket
    Send(port, QsoLogged({}));  // K1ABC, 05/17 12:00
    bool held = false;
    QEventLoop loop;
    QObject::connect(w->WsjtxListener.get(), &TWsjtxListener::Held, &loop,
                     [&] { held = true, loop.quit(); });
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    loop.exec();
    ASSERT_TRUE(held);
    EXPECT_EQ(0, w->WsjtxListener->Counts().Datagrams);
    w->InGridClick = 0;
    Send(port, LoggedAdif("<call:5>K1ABC<qso_date:8>20240517<time_on:6>120015<freq:6>14.074"
                          "<mode:3>FT8<eor>"));              // the same contact again
    Send(port, Datagram(0, {}));                             // a heartbeat
    Send(port, QByteArray("\xad\xbc\xcb\xda garbage", 10));  // cut inside the header
    ASSERT_TRUE(WaitHandled(*w->WsjtxListener, 4));
    const auto& counts = w->WsjtxListener->Counts();
    EXPECT_EQ("1 1 1 1", std::to_string(counts.Stored) + " " + std::to_string(counts.Duplicates) +
                             " " + std::to_string(counts.Ignored) + " " +
                             std::to_string(counts.Malformed));

    EXPECT_EQ(entry + 1, EntryRow());
    EXPECT_EQ("05/17/2024 12:00 12:01 K1ABC 14.074 -10 -12 100 FT8", RowText(entry, 0, 8));
    EXPECT_EQ("W1X", Cell(W::colCall, EntryRow()));
    EXPECT_EQ(EntryRow(), w->Row());
    EXPECT_TRUE(w->memPreviousQsos->isVisibleTo(w));
    EXPECT_NE(std::string::npos,
              w->memPreviousQsos->toPlainText().toStdString().find("05/16/2024"));
    ASSERT_EQ(1u, Stored("K1ABC").size());
    EXPECT_EQ("tnx QSO", StoredText(Stored("K1ABC")[0].QSOID));

    Key(Qt::Key_Return);  // the typed contact is stored; the reported one is not again
    EXPECT_EQ(1u, Stored("W1X").size());
    EXPECT_EQ(1u, Stored("K1ABC").size());

    TRigSettings other;  // a port another program holds: told, nothing thrown
    other.WsjtxPort = port;
    QUdpSocket holder;
    w->WsjtxListener->Stop();
    ASSERT_TRUE(holder.bind(QHostAddress::LocalHost, port));
    w->ApplyStationSettings(other);
    ASSERT_EQ(1u, dialogs_->Messages.size());
    EXPECT_NE(std::string::npos, dialogs_->Messages[0].find("UDP port " + std::to_string(port)));
}

TEST_F(StationTest, TheSettingsWindowFindsAModelAndStoresWhatIsChosen) {
    Start();
    const quint16 port = FreeUdpPort();
    int shown = -1;
    w->RunModal = [&](QDialog& dialog) {
        auto& d = dynamic_cast<TRadioSettingsDialog&>(dialog);
        d.edtModelFilter->setText("NET rigctl");
        shown = 0;
        for (int i = 0; i < d.lstModels->count(); ++i)
            if (!d.lstModels->item(i)->isHidden()) {
                ++shown;
                d.lstModels->setCurrentRow(i);
            }
        d.chkRigEnabled->setChecked(true);
        d.edtPort->setText("127.0.0.1:1");
        d.spnUdpPort->setValue(port);
        return int(QDialog::Accepted);
    };
    w->RadioandWSJTX1Click();
    EXPECT_EQ(1, shown);
    EXPECT_EQ("Y 2 127.0.0.1:1 " + std::to_string(port),
              Setting("RIG_ENABLED") + " " + Setting("RIG_MODEL") + " " + Setting("RIG_PORT") +
                  " " + Setting("WSJTX_UDP_PORT"));
    EXPECT_EQ(port, w->WsjtxListener->Port());
    ASSERT_TRUE(WaitRig(TRigFollower::kNotConnected));  // nobody answers on port 1
}
