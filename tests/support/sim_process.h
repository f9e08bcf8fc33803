#pragma once

#include <QMap>
#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QTcpSocket>
#include <QTemporaryDir>

// Runs the device simulator (trivane-sim, path from the environment variable
// TRIVANE_SIM that CTest sets) as a real process for end-to-end tests.
//
//   SimProcess sim;
//   QVERIFY2(sim.start({"--model", "8x16", "--type", "Orvex-Q"}), qPrintable(sim.errorText()));
//   socket.connectToHost(QHostAddress::LocalHost, sim.tcpPort());   // the device's TCP port
//   QVERIFY(sim.fault("delay 300"));                                  // every answer 300 ms late
//   QCOMPARE(sim.state().value("route"), QString("3,2,3,4"));          // the device's own view
//
// start() always listens on loopback with ephemeral ports: "--tcp 127.0.0.1:0
// --udp off --control 127.0.0.1:0" come first and any argument given later
// replaces them (for discovery: "--udp", "127.0.0.1:0", then udpPort()). For the
// serial line pass "--pty", sim.suggestedPtyPath(); the program then opens
// ptyPath() with QSerialPort. Answers come only while the serial side is set to
// the simulator's rate ("--baud", default 115200); "(set,i.baud,n)" moves that
// rate, and "fault baudstuck on" makes the device answer the set but keep its
// old one. "--factory-ip 127.0.0.1" keeps a factory reset on loopback. After
// "(set,netcfg,...)" to another 127.x address the device listens there on the
// same port (state "listen=") and closes its connections.
//
// Control commands (see tools/sim/README.md) are sent synchronously: each call
// blocks until the simulator has answered "OK" or "ERR ...", so a fault is in
// force when the call returns. Examples for command()/fault():
//   fault silence on|off      fault delay <ms>         fault split 3,7 50 | off
//   fault garbage <hex>       fault drop               fault chatter <ms> | off
//   fault flood <bytes/s> | off   fault bigreply <bytes> | off
//   fault clear               set status in YYNN       set model 16x16
//   send <hex>                sendtext scenepolling3called\r\nok\r\n
//   discovery add mac=.. ip=.. name=.. version=..      discovery dup on
//   pty down | pty up         history | history clear  poll tick
//   set res 3 3840x2160@30Hz  (resolution of input 3 while it has a signal)
// One port's settings, shown by "state" and by the matching request's answer:
//   set ores <output> <1..15|text>   set signal in|out <n> on|off
//   set audio <output> on|off        set edid <input> <1..28>
//   set level brightness|contrast <output> <0..100>
// Video wall and partition presets (state: wall=RxC, wallpos=port@r,c;...,
// wallborder, wallsource, wallenable, splitgroups, split=mode:a,b,c,d;...):
//   set wall <rows> <columns>         (0..65536 each, also beyond the outputs)
//   set split <group> <mode 0..15>    set splitwindows <group> <a> <b> <c> <d>
// File transfers after "(update,mcu|fpga,n)" / "(update,edid,n)" (the pty runs
// at the real line rate of its baud; state shows receiving=, payloads=,
// payload<i>=kind,target,bytes,sha1,result and edidslot<n>=bytes,sha1):
//   fault packetdelay <ms>   fault ackdrop <n>   fault packerr <n>
//   fault dropafter <n>      fault edidslot <n>  fault edidsplit on|off
//   fault reboot <ms>        (each "... off" too)  set receivetimeout <ms>
// Front-panel keys; the device announces each result unasked to every client:
//   panel route <input> <output>|a   (routing lines + ok; stops polling first)
//   panel save|clear <scene>          (scene<n>saved|deleted + ok)
//   panel polling on|off              (scenepollingenable|disable + ok)
//   panel time <seconds>              (any interval from 1, no announcement)
//
// The process is killed when the object is destroyed.
class SimProcess final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(SimProcess)
public:
    static constexpr int StartTimeoutMs = 5000;
    static constexpr int CommandTimeoutMs = 3000;

    explicit SimProcess(QObject *parent = nullptr);
    ~SimProcess() override;

    // Starts the simulator and waits for its ready line; false (see
    // errorText()) when TRIVANE_SIM is unset, the start fails or it times out.
    bool start(const QStringList &arguments = {});
    // Kills the process (the device "dies"); its ports close.
    void stop();
    // Starts again with the same arguments and the same TCP and UDP ports, so
    // that a program that lost the device finds it again.
    bool restart();
    bool isRunning() const;

    QString errorText() const { return m_error; }
    QString readyLine() const { return m_ready; }
    quint16 tcpPort() const { return m_tcpPort; }
    quint16 udpPort() const { return m_udpPort; }
    quint16 controlPort() const { return m_controlPort; }
    // Path of the pty symlink, empty without "--pty".
    QString ptyPath() const { return m_ptyPath; }
    // A fresh path in a temporary directory owned by this object.
    QString suggestedPtyPath() const;

    // One control command; returns its data lines. ok is false on "ERR" or a
    // time-out, with the reason in errorText().
    QStringList command(const QString &line, bool *ok = nullptr);
    // "fault <arguments>"; true on "OK".
    bool fault(const QString &arguments);
    // The device state as key=value pairs (route, scenes, name, inbaud,
    // netcfg, standby, lock, polling, ..., clients, searches).
    QMap<QString, QString> state();
    // Requests the device has received, oldest first, as sent.
    QStringList history();

private:
    bool launch(const QStringList &arguments);

    QProcess m_process;
    QTcpSocket m_control;
    QTemporaryDir m_dir;
    QStringList m_arguments;
    QString m_error;
    QString m_ready;
    quint16 m_tcpPort = 0;
    quint16 m_udpPort = 0;
    quint16 m_controlPort = 0;
    QString m_ptyPath;
};
