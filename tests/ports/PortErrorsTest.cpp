// A port that cannot be opened says why under the message everyone knows: missing, busy (and
// who holds it), or no access (and the group that has it). Over real pseudo-terminals.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>

#include "base/TextTable.h"
#include "core/line/SerialPort.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/TestPlatform.h"

namespace {
const QString kUnavailable[2] = {"串口不存在或已打开！",
                                 "Serial port does not exist or already opened！"};

// Another program holding the device locked, as a terminal program would: a child process
// named zn-holder, until it goes.
class Holder {
  public:
    explicit Holder(const QString& path) {
        int ready[2], release[2];
        if (::pipe(ready) != 0 || ::pipe(release) != 0) return;
        const QByteArray device = path.toLocal8Bit();
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            ::close(release[1]);  // else the child itself keeps its release from coming
            ::prctl(PR_SET_NAME, "zn-holder");
            const int fd = ::open(device.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
            const char ok = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 'y' : 'n';
            (void)!::write(ready[1], &ok, 1);
            char ignored;
            (void)!::read(release[0], &ignored, 1);  // until the test closes its end
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        release_ = release[1];
        char ok = 'n';
        locked_ = ::read(ready[0], &ok, 1) == 1 && ok == 'y';
        ::close(ready[0]);
    }
    ~Holder() {
        if (release_ >= 0) ::close(release_);
        if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
    }
    bool Locked() const { return locked_; }
    pid_t Pid() const { return pid_; }

  private:
    pid_t pid_ = -1;
    int release_ = -1;
    bool locked_ = false;
};

class PortErrors : public ::testing::Test {
  protected:
    void TearDown() override { SerialPort::ClosePort(); }
    // Opens `name` in each language: one message, the known line first, then `detail`.
    void ExpectRefused(const QString& name, const QString (&detail)[2]) {
        for (int english : {0, 1}) {
            TextTable::Fill(english == 1);
            platform.messages.clear();
            EXPECT_FALSE(SerialPort::OpenPort(name, "9600,N,8,1")) << name.toStdString();
            EXPECT_FALSE(SerialPort::IsOpen());
            EXPECT_EQ(platform.messages,
                      QStringList{kUnavailable[english] + "\n" + detail[english]})
                << name.toStdString();
        }
    }
    ScratchSys sys;
    RecordingPlatform platform;
};
}  // namespace

TEST_F(PortErrors, AMissingOrBusyPortSaysWhyAndWhatToDo) {
    PtyPeer module("sys/COM1");
    QDir().mkpath("sys/adir");
    sys.WriteFile("plain.txt", "hello");
    const auto missing = [](const QString& path) {
        return std::array<QString, 2>{path + " 不存在：适配器未插入，或端口名称有误。",
                                      "There is no serial port " + path +
                                          ": the adapter is not plugged in, or the name is wrong."};
    };
    struct Case {
        QString name;
        std::array<QString, 2> detail;
    } cases[] = {
        {"/dev/ttyUSB97", missing("/dev/ttyUSB97")},
        {"COM99", missing("/dev/ttyS98")},
        {"sys/adir", missing("sys/adir")},
        {"sys/plain.txt", missing("sys/plain.txt")},
    };
    for (const Case& c : cases) ExpectRefused(c.name, {c.detail[0], c.detail[1]});

    // Locked by this program itself (no other to name), then by another program, named.
    const int own = ::open(module.SlavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(own, 0);
    ASSERT_EQ(::flock(own, LOCK_EX | LOCK_NB), 0);
    ExpectRefused("COM1", {"sys/COM1 正被其他程序占用。请先关闭该程序。",
                           "Another program holds sys/COM1. Close it first."});
    ::close(own);
    {
        Holder holder(module.SlavePath());
        ASSERT_TRUE(holder.Locked());
        const QString who = QStringLiteral("zn-holder (PID %1)").arg(holder.Pid());
        ExpectRefused(
            module.SlavePath(),
            {module.SlavePath() + " 正被其他程序占用：" + who + "。请先关闭该程序。",
             "Another program holds " + module.SlavePath() + ": " + who + ". Close it first."});
    }
    platform.messages.clear();
    EXPECT_TRUE(SerialPort::OpenPort("COM1", "9600,N,8,1"));
    EXPECT_TRUE(platform.messages.isEmpty());
}

// Root opens every device whatever its mode, so this runs as an ordinary user (the suite run as
// root runs it again as nobody).
TEST_F(PortErrors, APortTheUserMayNotOpenNamesTheGroupThatMay) {
    if (::geteuid() == 0) GTEST_SKIP() << "root may open any device; checked in the run as nobody";
    PtyPeer module;
    const QByteArray path = module.SlavePath().toLocal8Bit();
    struct stat status {};
    ASSERT_EQ(::stat(path.constData(), &status), 0);
    const group* owner = ::getgrgid(status.st_gid);
    ASSERT_NE(owner, nullptr);
    const QString group = QString::fromLocal8Bit(owner->gr_name);
    const QString device = module.SlavePath();
    // Only the group may read and write: joining it is the way in (unless the group is root's).
    ASSERT_EQ(::chmod(path.constData(), 0060), 0);
    if (status.st_gid != 0)
        ExpectRefused(
            device,
            {"当前用户无权访问 " + device + "（属于用户组 " + group +
                 "）。请执行 sudo usermod -aG " + group + " $USER，然后注销并重新登录。",
             "You have no access to " + device + " (it belongs to the group " + group +
                 "). Run sudo usermod -aG " + group + " $USER, then log out and in again."});
    // No one but root: no group to join.
    ASSERT_EQ(::chmod(path.constData(), 0000), 0);
    ExpectRefused(device, {"当前用户无权访问 " + device +
                               "，也没有用户组可以访问它。请管理员开放该设备的权限。",
                           "You have no access to " + device +
                               ", and no group has. Ask the administrator to grant access to it."});
    ASSERT_EQ(::chmod(path.constData(), 0600), 0);
    EXPECT_TRUE(SerialPort::OpenPort(device, "9600,N,8,1"));
}
