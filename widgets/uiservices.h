#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>
#include <memory>

class QDialog;

namespace korvel {

// Everything the add-in shows to the user goes through these two services, so that tests can
// replace the screen with a script. The defaults open real message boxes and run dialogs with exec().

class MessageService {
public:
    virtual ~MessageService() = default;
    // An information message with one OK button.
    virtual void information(const QString& text) = 0;
    // The same with a warning icon: something failed or was refused and the user can act on it (a
    // save refused, the edits kept). `text` names the cause in the interface language; `detail`, when
    // not empty, is the database's or the system's own text, shown on request below it.
    virtual void warning(const QString& text, const QString& detail = QString()) = 0;
    // The same with a critical icon: something failed that the user cannot mend from here (the
    // database unreachable, a file unwritable).
    virtual void critical(const QString& text, const QString& detail = QString()) = 0;
    // A question; `buttons` is e.g. Yes|No or Yes|No|Cancel. Returns the button pressed.
    virtual QMessageBox::StandardButton question(const QString& text,
                                                 QMessageBox::StandardButtons buttons) = 0;
};

class ModalService {
public:
    virtual ~ModalService() = default;
    // Shows the dialog modally and returns when it has been hidden.
    virtual void showModal(QDialog& dialog) = 0;
};

MessageService& Messages();
ModalService& Modals();

// Tells the user that the database could not be read to check an ID, naming the error last logged.
void InformDatabaseUnreadable();

// Replaces a service (nullptr restores the default). Returns the one that was in place.
std::unique_ptr<MessageService> SetMessageService(std::unique_ptr<MessageService> service);
std::unique_ptr<ModalService> SetModalService(std::unique_ptr<ModalService> service);

} // namespace korvel
