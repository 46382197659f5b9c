#include "widgets/uiservices.h"

#include "core/errorlog.h"
#include "core/failurecause.h"
#include "widgets/failurereport.h"
#include "resources/stringtable.h"

#include <QApplication>
#include <QDialog>

namespace korvel {
namespace {

class BoxMessageService final : public MessageService {
public:
    void information(const QString& text) override
    {
        QMessageBox::information(QApplication::activeWindow(), QApplication::applicationDisplayName(), text);
    }
    void warning(const QString& text, const QString& detail) override
    {
        ShowBox(QMessageBox::Warning, text, detail);
    }
    void critical(const QString& text, const QString& detail) override
    {
        ShowBox(QMessageBox::Critical, text, detail);
    }
    QMessageBox::StandardButton question(const QString& text, QMessageBox::StandardButtons buttons) override
    {
        return QMessageBox::question(QApplication::activeWindow(), QApplication::applicationDisplayName(),
                                     text, buttons);
    }

private:
    static void ShowBox(QMessageBox::Icon icon, const QString& text, const QString& detail)
    {
        QMessageBox box(icon, QApplication::applicationDisplayName(), text, QMessageBox::Ok,
                        QApplication::activeWindow());
        if (!detail.isEmpty())
            box.setDetailedText(detail);
        box.exec();
    }
};

class ExecModalService final : public ModalService {
public:
    void showModal(QDialog& dialog) override { dialog.exec(); }
};

std::unique_ptr<MessageService>& messageSlot()
{
    thread_local std::unique_ptr<MessageService> service = std::make_unique<BoxMessageService>();
    return service;
}

std::unique_ptr<ModalService>& modalSlot()
{
    thread_local std::unique_ptr<ModalService> service = std::make_unique<ExecModalService>();
    return service;
}

} // namespace

MessageService& Messages()
{
    return *messageSlot();
}

ModalService& Modals()
{
    return *modalSlot();
}

std::unique_ptr<MessageService> SetMessageService(std::unique_ptr<MessageService> service)
{
    auto previous = std::move(messageSlot());
    messageSlot() = service ? std::move(service) : std::make_unique<BoxMessageService>();
    return previous;
}

std::unique_ptr<ModalService> SetModalService(std::unique_ptr<ModalService> service)
{
    auto previous = std::move(modalSlot());
    modalSlot() = service ? std::move(service) : std::make_unique<ExecModalService>();
    return previous;
}

void InformDatabaseUnreadable()
{
    ReportLoggedFailure(LoadResString(1000));
}

void ReportFailure(const QString& what, const QString& raw)
{
    const FailureCause cause = ClassifyFailure(raw);
    const QString text = what.trimmed() + QStringLiteral("\n\n") + DescribeFailure(cause, raw);
    if (UserCanAct(cause))
        Messages().warning(text, raw.trimmed());
    else
        Messages().critical(text, raw.trimmed());
}

void ReportLoggedFailure(const QString& what)
{
    ReportFailure(what, LastLoggedError());
}

void ReportRefusal(const QString& description)
{
    const FailureCause cause = ClassifyFailure(description);
    if (cause == FailureCause::Unknown)
        Messages().warning(description);
    else if (cause == FailureCause::FileUnwritable)
        Messages().critical(description);
    else if (const QString text = description.trimmed() + QStringLiteral("\n\n") + DescribeFailure(cause, {});
             UserCanAct(cause))
        Messages().warning(text);
    else
        Messages().critical(text);
}

} // namespace korvel
