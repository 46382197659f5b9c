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
    // The same with a warning icon: something the user must act on (a save refused, the edits kept).
    virtual void warning(const QString& text) = 0;
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
