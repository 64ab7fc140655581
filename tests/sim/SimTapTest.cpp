// znsim's tap: a second pty that hears every byte on a bus, requests as they arrive and replies
// as they go out, while whatever a listener writes there never reaches the bus.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTemporaryDir>

#include "tests/sim/WireEnds.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/SimProcess.h"

TEST(SimTap, TheTapHearsRequestThenReplyFromEveryMasterAndSendsNothingToTheBus) {
    QTemporaryDir dir;
    const QString bus = dir.path() + "/COM1";
    const QString tapPath = dir.path() + "/TAP1";
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--verbose", "--bus", bus, "--module", "ZN210,addr=1", "--module",
                           "ZN330,addr=2,fault=badcrc", "--tap", tapPath, "--tcp", "0"}))
        << sim.Output().toStdString();
    const int port = QRegularExpression("raw RTU over TCP on 127\\.0\\.0\\.1:(\\d+)")
                         .match(sim.Output())
                         .captured(1)
                         .toInt();
    TtyEnd master(bus);
    TcpEnd network(port);
    ASSERT_TRUE(master.Ok() && network.Ok());

    // Before anyone listens the tap keeps nothing: a listener hears only what comes after.
    master.Write(HexBytes("01 03 00 64 00 03", true));
    ASSERT_EQ(master.Read(11).size(), 11);
    TtyEnd tap(tapPath, 0);
    ASSERT_TRUE(tap.Ok());

    const QByteArray badCrc = WithBrokenCrc(HexBytes("02 03 06 00 02 00 67 01 4A", true));
    const struct {
        WireEnd* from;
        QByteArray request;
        QByteArray reply;
    } cases[] = {
        {&master, HexBytes("01 03 00 64 00 03", true),
         HexBytes("01 03 06 00 01 00 67 00 D2", true)},
        {&master, HexBytes("02 03 00 64 00 03", true), badCrc},  // faults are heard as sent
        {&network, HexBytes("01 03 01 2C 00 01", true), HexBytes("01 83 02", true)},
        {&master, HexBytes("07 03 00 64 00 03", true), {}},  // nobody answers
    };
    int requests = 0;
    for (const auto& c : cases) {
        c.from->Write(c.request);
        ++requests;
        EXPECT_EQ(SpacedHex(c.from->Read(c.reply.size())), SpacedHex(c.reply));
        EXPECT_EQ(SpacedHex(tap.Read(c.request.size() + c.reply.size())),
                  SpacedHex(c.request + c.reply));
    }

    // A listener that talks: its bytes are dropped, not heard by the modules nor echoed to it.
    tap.Write(HexBytes("01 03 00 00 00 04", true));
    ASSERT_TRUE(sim.WaitFor("TAP1 dropped 8 bytes a listener wrote (8 in all)"))
        << sim.Output().toStdString();
    master.Write(cases[0].request);
    ++requests;
    EXPECT_EQ(SpacedHex(master.Read(cases[0].reply.size())), SpacedHex(cases[0].reply));
    EXPECT_EQ(SpacedHex(tap.Read(cases[0].request.size() + cases[0].reply.size())),
              SpacedHex(cases[0].request + cases[0].reply));
    EXPECT_EQ(sim.Output().count(" <- "), requests + 1) << sim.Output().toStdString();
    EXPECT_TRUE(master.Waiting().isEmpty());
    EXPECT_TRUE(tap.Waiting().isEmpty());
}
