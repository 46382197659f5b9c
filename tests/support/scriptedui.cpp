#include "tests/support/scriptedui.h"

#include <QCoreApplication>
#include <QDialog>
#include <gtest/gtest.h>

namespace korvel {

void ScriptedMessages::information(const QString& text)
{
    m_texts << text;
    m_lastIcon = QMessageBox::Information;
    m_lastDetail.clear();
}

void ScriptedMessages::warning(const QString& text, const QString& detail)
{
    m_texts << text;
    m_warnings << text;
    m_lastIcon = QMessageBox::Warning;
    m_lastDetail = detail;
}

void ScriptedMessages::critical(const QString& text, const QString& detail)
{
    m_texts << text;
    m_criticals << text;
    m_lastIcon = QMessageBox::Critical;
    m_lastDetail = detail;
}

QMessageBox::StandardButton ScriptedMessages::question(const QString& text,
                                                       QMessageBox::StandardButtons buttons)
{
    m_texts << text;
    m_questions << text;
    m_lastIcon = QMessageBox::Question;
    m_lastDetail.clear();
    if (m_answers.empty()) {
        ADD_FAILURE() << "Unplanned question: " << text.toStdString();
        return buttons.testFlag(QMessageBox::Cancel) ? QMessageBox::Cancel : QMessageBox::No;
    }
    const QMessageBox::StandardButton answer = m_answers.front();
    m_answers.pop_front();
    if (!buttons.testFlag(answer))
        ADD_FAILURE() << "Planned answer " << answer
                      << " is not offered by the question: " << text.toStdString();
    return answer;
}

void ScriptedMessages::clear()
{
    m_texts.clear();
    m_questions.clear();
    m_warnings.clear();
    m_criticals.clear();
    m_lastIcon = QMessageBox::NoIcon;
    m_lastDetail.clear();
    m_answers.clear();
}

void ScriptedModals::showModal(QDialog& dialog)
{
    m_shown << dialog.objectName();
    if (m_scripts.empty()) {
        ADD_FAILURE() << "Unplanned dialog: " << dialog.objectName().toStdString() << " \""
                      << dialog.windowTitle().toStdString() << "\"";
        dialog.hide();
        return;
    }
    Script script = std::move(m_scripts.front());
    m_scripts.pop_front();

    dialog.show();
    QCoreApplication::processEvents();
    script(dialog);
    QCoreApplication::processEvents();
    if (dialog.isVisible()) {
        ADD_FAILURE() << "Dialog " << dialog.objectName().toStdString()
                      << " is still open after its script: neither OK nor Cancel closed it";
        dialog.hide();
    }
}

ScriptedUi::ScriptedUi()
{
    auto messages = std::make_unique<ScriptedMessages>();
    auto modals = std::make_unique<ScriptedModals>();
    m_messages = messages.get();
    m_modals = modals.get();
    m_previousMessages = SetMessageService(std::move(messages));
    m_previousModals = SetModalService(std::move(modals));
}

ScriptedUi::~ScriptedUi()
{
    if (m_messages->pendingAnswers() > 0)
        ADD_FAILURE() << m_messages->pendingAnswers() << " planned answer(s) never asked for";
    if (m_modals->pendingScripts() > 0)
        ADD_FAILURE() << m_modals->pendingScripts() << " planned dialog script(s) never run";
    SetMessageService(std::move(m_previousMessages));
    SetModalService(std::move(m_previousModals));
}

} // namespace korvel
