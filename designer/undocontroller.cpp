#include "designer/undocontroller.h"

#include "canvas/flowscene.h"
#include "model/cworders.h"

#include <QUndoStack>

namespace korvel {

UndoController::UndoController(std::function<cWOrders&()> orders, FlowScene& canvas, QObject* parent)
    : QObject(parent), m_orders(std::move(orders)), m_canvas(canvas)
{
}

UndoController::~UndoController()
{
    // The histories go after the window has begun to go: nobody is to hear of it.
    for (auto& [id, history] : m_histories)
        if (history.stack)
            history.stack->disconnect(this);
}

QUndoStack* UndoController::Stack()
{
    const QString id = Orders().CurWOrder();
    cWorder* frame = id.isEmpty() ? nullptr : Orders().OneWorkOrder(id);
    if (!frame)
        return nullptr;
    History& history = m_histories[id];
    if (!history.stack) {
        history.stack = std::make_unique<QUndoStack>();
        connect(history.stack.get(), &QUndoStack::indexChanged, this, &UndoController::Changed);
        history.readSerial = frame->ReadSerial();
    } else if (history.readSerial != frame->ReadSerial()) {
        // The commands name steps and links of a reading that is gone.
        history.stack->clear();
        history.readSerial = frame->ReadSerial();
    }
    return history.stack.get();
}

void UndoController::Clear(const QString& frameID)
{
    if (const auto it = m_histories.find(frameID); it != m_histories.end() && it->second.stack) {
        it->second.stack->clear();
        emit Changed();
    }
}

FrameEditPlace UndoController::Place() const
{
    return {&Orders(), &m_canvas, Orders().CurWOrder()};
}

bool UndoController::Edit(const QString& text, const QStringList& nodeIDs, const QStringList& linkKeys,
                          FrameEdit::Change change)
{
    if (Orders().CurWOrder().isEmpty() || !Orders().OneWorkOrder(Orders().CurWOrder()))
        return false;
    if (m_openGroup) {
        new FrameEdit(Place(), text, nodeIDs, linkKeys, std::move(change), m_openGroup);
        return true;
    }
    Push(new FrameEdit(Place(), text, nodeIDs, linkKeys, std::move(change)));
    return true;
}

void UndoController::Push(QUndoCommand* command)
{
    QUndoStack* stack = Stack();
    // Run first: a change that altered nothing is dropped without taking the redo history with it,
    // as pushing it would. Pushing runs it again, which puts back what it has just done.
    if (stack)
        command->redo();
    if (!stack || command->isObsolete()) {
        delete command;
        return;
    }
    stack->push(command);
}

void UndoController::Undo()
{
    if (QUndoStack* stack = Stack())
        stack->undo();
}

void UndoController::Redo()
{
    if (QUndoStack* stack = Stack())
        stack->redo();
}

UndoController::Group::Group(UndoController& controller, const QString& text)
    : m_controller(controller), m_command(std::make_unique<FrameEditGroup>(text))
{
    if (!m_controller.m_openGroup)
        m_controller.m_openGroup = m_command.get();
}

UndoController::Group::~Group()
{
    if (m_controller.m_openGroup == m_command.get())
        m_controller.m_openGroup = nullptr;
}

void UndoController::Group::Commit()
{
    if (m_controller.m_openGroup != m_command.get())
        return; // nested: the outer group records it all
    m_controller.m_openGroup = nullptr;
    if (m_command->childCount() > 0)
        m_controller.Push(m_command.release());
}

} // namespace korvel
