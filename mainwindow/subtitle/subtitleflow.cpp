#include "mainwindow/subtitle/subtitleflow.h"

#include <QDebug>

#include "link/dispatch/replydispatcher.h"
#include "link/protocol/protocol.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/naming/namestore.h"
#include "mainwindow/subtitle/subtitle_set.h"
#include "widgets/tipsdecor.h"

namespace {
// MainWindow::subtitlePendingSet
constexpr int QuerySent = 0;
constexpr int ChangeSent = 1;
}

SubtitleFlow::SubtitleFlow(MainWindow *window)
    : QObject(window)
    , m_window(window)
{
    QPointer<SubtitleFlow> self(this);
    window->dispatcher()->setBranchHandler(Protocol::Answer::Osd, [self](ReplyDispatcher::BranchCall &call) {
        if (self)
            self->onAnswer(call.work, call.raw);
        return ReplyDispatcher::Flow::Continue;
    });
}

SubtitleFlow::~SubtitleFlow() = default;

void SubtitleFlow::query(int input)
{
    const QString request
        = input >= 1 && input <= Protocol::MaxPorts ? Subtitle::getRequest(input) : QString();
    if (request.isEmpty()) {
        qWarning() << "no subtitle query for input" << input;
        return;
    }
    m_queryPending = true;
    m_queriedInput = input;
    m_window->subtitlePendingSet = QuerySent;
    m_window->sendData(request);
}

void SubtitleFlow::onAnswer(const QString &work, const QString &raw)
{
    const std::optional<Subtitle::Settings> settings = Subtitle::parseAnswer(work, raw);
    switch (m_window->subtitlePendingSet) {
    case QuerySent:
        if (!settings) {
            qWarning() << "subtitle answer not understood:" << work;
            return;
        }
        if (!m_queryPending || settings->port != m_queriedInput) {
            qDebug() << "subtitle answer not asked for:" << work;
            return;
        }
        m_queryPending = false;
        // A dialog that is folding away no longer counts as open.
        if (m_dialog && !m_dialog->isCloseAnimationRunning()) {
            qDebug() << "subtitle dialog already open; answer only logged:" << work;
            m_dialog->raise();
            m_dialog->activateWindow();
            return;
        }
        openDialog(*settings);
        return;
    case ChangeSent:
        // Anything else that merely holds "input" and "osd" confirms nothing.
        if (!settings) {
            qWarning() << "subtitle change answered with" << work;
            return;
        }
        m_window->showToast(tr("字幕参数设置成功!"), QString::fromLatin1(Protocol::SuccessStyle));
        return;
    default:
        // The answer to a command typed in the console: the console shows it.
        qDebug() << "subtitle answer to a typed command:" << work;
        return;
    }
}

QString SubtitleFlow::inputName(int input) const
{
    const NameStore *names = m_window->nameStore();
    return names ? names->name(NameStore::Input, input) : QString();
}

void SubtitleFlow::openDialog(const Subtitle::Settings &settings)
{
    auto *dialog = new Subtitle_Set(m_window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setPort(inputName(settings.port), settings.port);
    dialog->setSettings(settings);

    connect(dialog, &Subtitle_Set::sendRequest, this, [this](const QString &request) {
        m_window->subtitlePendingSet = ChangeSent;
        m_window->sendData(request);
    });
    connect(dialog, &Subtitle_Set::refused, this, [this](const QString &message) {
        m_window->showToast(message, QString::fromLatin1(Protocol::FailureStyle));
    });
    connect(dialog, &Subtitle_Set::closed, this, [this, dialog] {
        if (m_dialog == dialog)
            m_dialog.clear();
    });
    // A rename while the dialog is open shows in its title.
    if (NameStore *names = m_window->nameStore()) {
        connect(names, &NameStore::nameChanged, dialog, [this, dialog](int kind, int number) {
            if (kind == NameStore::Input && number == dialog->port())
                dialog->setPort(inputName(number), number);
        });
    }

    TipsDecor::centreIn(dialog, m_window->geometry());
    m_dialog = dialog;
    dialog->show();
}
