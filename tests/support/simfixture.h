#pragma once
// Runs vkm-sim for a test: starts it with the given options, gives the path of
// its pseudo-terminal and talks to it through its control channel. Qt Core
// only; the test opens the port itself (the protocol, or raw termios).
//
//     SimFixture sim;
//     QVERIFY(sim.start({"--eeprom", file}));
//     port.open(sim.ptyPath());
//     sim.setLive(11, 0, 0x8001);       // digital inputs 1 and 16 on
//     QCOMPARE(sim.mathState().offCount, 3);

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <optional>

namespace vkm {

class SimFixture {
public:
    SimFixture();
    ~SimFixture();
    SimFixture(const SimFixture&) = delete;
    SimFixture& operator=(const SimFixture&) = delete;

    // Path of the vkm-sim executable of this build.
    static QString executable();

    // Starts the simulator with extra options (the control channel is added);
    // false, with a reason in error(), when it did not come up.
    bool start(const QStringList& options = {});
    // SIGTERM and wait: the simulator saves its EEPROM if asked to.
    bool stop();
    // SIGKILL at once, as a controller that vanishes mid-transfer.
    void kill();
    bool running() const;

    QString ptyPath() const { return pty_; }
    QString error() const { return error_; }
    // Everything the simulator wrote on stderr so far (its --log lines).
    QString stderrText();

    // One control line; the reply line without "ok " (nullopt on "error ...",
    // with the reason in error()).
    std::optional<QString> command(const QString& line);

    // Typed access to the control channel ------------------------------------
    QByteArray eeprom();                     // 2048 bytes
    bool setEeprom(const QByteArray& image); // 2048 bytes
    QByteArray readMemory(int space, quint32 addr, int count);
    bool writeMemory(int space, quint32 addr, const QByteArray& bytes);
    // A fixed reply word for a live request; param -1 = any parameter.
    bool setLive(int code, int param, quint16 word);
    bool clearLive(int code, int param);
    bool freezeTime(double seconds);
    bool setTare(quint16 tare);
    QByteArray lastPanelFrame(); // the 22 parameter bytes

    struct MathState {
        bool on = true;
        int offCount = 0;
        int onCount = 0;
    };
    MathState mathState();
    QPair<quint16, quint16> lastRelayMasks(); // relays 1-8, relays 9-16
    QPair<quint16, quint16> lastDacCodes();   // outputs 1, 2
    int requestCount();
    QStringList requestLog(); // hex of every request, "01 06 22 10 00 02 C5"
    bool resetCounters();

    // A fault in vkm-sim's text form, e.g. "noreply,cmd=4,addr=800,count=3".
    bool fault(const QString& faultText);
    bool clearFaults();
    bool silentAfter(int requests);
    long controllerSpeed(); // the speed the controller runs at
    long lineSpeed();       // the speed the pty is set to

private:
    bool connectControl();
    QTemporaryDir dir_;
    QProcess proc_;
    QString pty_;
    QString error_;
    QByteArray stderr_;
    int sock_ = -1;
};

} // namespace vkm
