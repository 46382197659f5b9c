#pragma once

#include "designer/frameedit.h"

#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <memory>

class QUndoStack;

namespace korvel {

// The undo history of the designer: one QUndoStack per frame, each tied to one reading of its frame
// (a frame read again, after a save, a lock or changes dropped, starts with an empty history). Edits
// are FrameEdit commands; a Group gathers several into one step of the history.
class UndoController final : public QObject {
    Q_OBJECT
public:
    // `orders` gives the window's frame list (which the window may replace while it loads).
    UndoController(std::function<cWOrders&()> orders, FlowScene& canvas, QObject* parent = nullptr);
    ~UndoController() override;

    // The history of the current frame; nullptr when there is none.
    QUndoStack* Stack();
    // Empties the frame's history (its changes were saved or dropped).
    void Clear(const QString& frameID);

    // Runs one edit of the current frame and records it; inside an open Group it joins the group
    // and runs when the group is committed. `nodeIDs` and `linkKeys` name everything `change` may
    // touch. False when there is no current frame.
    bool Edit(const QString& text, const QStringList& nodeIDs, const QStringList& linkKeys,
              FrameEdit::Change change);

    // Gathers the edits made while it is open into one step named `text`, run and recorded by
    // Commit(); dropped unrun when it closes without (an error on the way changes nothing).
    class Group final {
    public:
        Group(UndoController& controller, const QString& text);
        ~Group();
        Group(const Group&) = delete;
        Group& operator=(const Group&) = delete;
        void Commit();

    private:
        UndoController& m_controller;
        std::unique_ptr<FrameEditGroup> m_command;
    };

    void Undo();
    void Redo();

signals:
    // The current frame's history moved (an edit, undo or redo) or was emptied.
    void Changed();

private:
    struct History {
        std::unique_ptr<QUndoStack> stack;
        qint64 readSerial = 0;
    };
    FrameEditPlace Place() const;
    // Pushes onto the current frame's history, which runs the command.
    void Push(QUndoCommand* command);

    cWOrders& Orders() const { return m_orders(); }

    std::function<cWOrders&()> m_orders;
    FlowScene& m_canvas;
    std::map<QString, History> m_histories;
    FrameEditGroup* m_openGroup = nullptr;
};

} // namespace korvel
