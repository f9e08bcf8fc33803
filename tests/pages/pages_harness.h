#pragma once

// The real main window connected over TCP to the simulator, with the device
// model applied the way the first heartbeat applies it. The heartbeat timer is
// left out so that nothing but the test talks to the device.
//
//   PagesHarness h;
//   QVERIFY2(h.start({"--model", "8x9"}), qPrintable(h.error()));
//   h.window()->switchingPage()->...;
//   QVERIFY(h.useModel("16x16"));   // the device changes size, the pages follow
//
// One main window per process (it is a singleton): keep one harness per test
// binary, made in initTestCase().

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include "app/commonlyused.h"
#include "link/dispatch/replydispatcher.h"
#include "link/transport/devicelink.h"
#include "mainwindow/mainwindow.h"
#include "resources/trivaneresources.h"
#include "tests/support/sim_process.h"

class PagesHarness
{
public:
    ~PagesHarness() { delete m_window; }

    bool start(const QStringList &simArguments)
    {
        Trivane::initResources();
        if (!m_appDir.isValid())
            return fail(QStringLiteral("no temporary directory"));
        CommonlyUsed::setApplicationDirOverride(m_appDir.path());
        if (!m_sim.start(simArguments))
            return fail(m_sim.errorText());
        m_window = MainWindow::getInstance();
        QObject::disconnect(m_window->deviceLink(), &DeviceLink::Send_HeartbeatDue, m_window, nullptr);
        m_window->replyWaitMs = 1000;
        m_window->resize(1366, 768);
        m_window->show();
        m_window->setIP_Address(QStringLiteral("127.0.0.1"));
        m_window->setLocalIPAddress(QString());
        m_window->setPort_Number(QString::number(m_sim.tcpPort()));
        m_window->Connect_TCP_Server();
        if (m_window->connectionType != DeviceLink::TcpConnection)
            return fail(QStringLiteral("no TCP link to the simulator"));
        if (!applyModel())
            return false;
        // The first model shows the routing and asks for the scenes: let
        // that finish before a test starts counting requests.
        QTest::qWait(SettleAfterStartMs);
        return true;
    }

    // Asks "(info,link)" and dispatches the answer as if it were the first
    // heartbeat's: the model it reports lays out every page.
    bool applyModel()
    {
        QElapsedTimer clock;
        clock.start();
        while (m_window->linkBusy && clock.elapsed() < LinkFreeTimeoutMs)
            QTest::qWait(10);
        m_window->modelApplied = false;
        QString answer;
        if (!m_window->sendDataDevice(QStringLiteral("(info,link)"), answer))
            return fail(QStringLiteral("no answer to (info,link)"));
        m_window->Data_Processing(answer);
        return m_window->modelApplied || fail(QStringLiteral("model not applied from ") + answer);
    }

    // The device becomes `model` and the pages follow it.
    bool useModel(const QString &model)
    {
        bool ok = false;
        m_sim.command(QStringLiteral("set model ") + model, &ok);
        return (ok || fail(m_sim.errorText())) && applyModel();
    }

    MainWindow *window() const { return m_window; }
    SimProcess &sim() { return m_sim; }
    QString error() const { return m_error; }
    QString appDir() const { return m_appDir.path(); }

    static constexpr int LinkFreeTimeoutMs = 3000;
    static constexpr int SettleAfterStartMs = 400;

private:
    bool fail(const QString &why)
    {
        m_error = why;
        return false;
    }

    QTemporaryDir m_appDir;
    SimProcess m_sim;
    MainWindow *m_window = nullptr;
    QString m_error;
};
