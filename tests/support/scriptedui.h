#pragma once

#include "widgets/uiservices.h"

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <memory>

class QDialog;

namespace korvel {

// Stands in for the message boxes: records every text shown, in order, and answers questions from
// a queue of planned answers. A question with no planned answer fails the test (and is answered
// Cancel, or No when Cancel is not offered).
class ScriptedMessages final : public MessageService {
public:
    void information(const QString& text) override;
    void warning(const QString& text, const QString& detail) override;
    void critical(const QString& text, const QString& detail) override;
    QMessageBox::StandardButton question(const QString& text, QMessageBox::StandardButtons buttons) override;

    // Queues the answer to the next question.
    void planAnswer(QMessageBox::StandardButton answer) { m_answers.push_back(answer); }
    // Every information and question text so far, in the order shown.
    const QStringList& texts() const { return m_texts; }
    // The question texts only.
    const QStringList& questions() const { return m_questions; }
    // The texts shown with a warning icon.
    const QStringList& warnings() const { return m_warnings; }
    // The texts shown with a critical icon.
    const QStringList& criticals() const { return m_criticals; }
    // The icon of the last text shown (NoIcon before any), and the detail shown with it.
    QMessageBox::Icon lastIcon() const { return m_lastIcon; }
    const QString& lastDetail() const { return m_lastDetail; }
    // Planned answers not used yet.
    int pendingAnswers() const { return static_cast<int>(m_answers.size()); }
    void clear();

private:
    QStringList m_texts;
    QStringList m_questions;
    QStringList m_warnings;
    QStringList m_criticals;
    QMessageBox::Icon m_lastIcon = QMessageBox::NoIcon;
    QString m_lastDetail;
    std::deque<QMessageBox::StandardButton> m_answers;
};

// Stands in for modal dialogs: each showModal shows the dialog (offscreen) and runs the next planned
// script, which fills the controls and presses OK or Cancel. A dialog still visible after its
// script, or a dialog with no planned script, fails the test and is hidden.
class ScriptedModals final : public ModalService {
public:
    using Script = std::function<void(QDialog&)>;

    void showModal(QDialog& dialog) override;

    void plan(Script script) { m_scripts.push_back(std::move(script)); }
    // Object names of every dialog shown so far, in order.
    const QStringList& shown() const { return m_shown; }
    int pendingScripts() const { return static_cast<int>(m_scripts.size()); }

private:
    std::deque<Script> m_scripts;
    QStringList m_shown;
};

// Installs a ScriptedMessages and a ScriptedModals for its lifetime and puts back the services that
// were in place before. Planned answers or scripts left unused at the end fail the test.
class ScriptedUi final {
public:
    ScriptedUi();
    ~ScriptedUi();
    ScriptedUi(const ScriptedUi&) = delete;
    ScriptedUi& operator=(const ScriptedUi&) = delete;

    ScriptedMessages& messages() { return *m_messages; }
    ScriptedModals& modals() { return *m_modals; }

private:
    // Owned by the service slots while installed; these only point at them.
    ScriptedMessages* m_messages = nullptr;
    ScriptedModals* m_modals = nullptr;
    std::unique_ptr<MessageService> m_previousMessages;
    std::unique_ptr<ModalService> m_previousModals;
};

} // namespace korvel
