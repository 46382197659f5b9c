#pragma once

// The designer window with a frame's steps and links as text, to compare the model and the canvas
// before and after a change, and the mouse and keys of the canvas.

#include "tests/designer/designerfixture.h"

#include "model/frameformat.h"

#include <QJsonDocument>
#include <string>

namespace korvel {

class UndoCanvasTest : public DesignerTest {
public:
    // For the tables of changes.
    using DesignerTest::Canvas;
    using DesignerTest::Scene;
    using DesignerTest::Current;
    using DesignerTest::Messages;
    using DesignerTest::PlanDialog;
    using DesignerTest::Window;

    // The current frame's steps and links (values and change states, in collection order) and the
    // canvas's boxes and arrows (sorted), one line each: equal texts mean the same model and drawing.
    std::string State()
    {
        const auto json = [](const QJsonObject& object) {
            return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
        };
        QStringList model, canvas;
        for (const auto& [key, node] : Current()->AllNode().AllNode())
            model << QStringLiteral("step %1 %2 ").arg(key).arg(node->StateFlag()) + json(StepToJson(node->Values()));
        for (const auto& [key, link] : Current()->AllLink().AllLinks())
            model << QStringLiteral("link %1 %2 ").arg(key).arg(link->StateFlag()) + json(LinkToJson(link->Values()));
        for (const FlowNodeItem* box : Scene().Nodes())
            canvas << QStringLiteral("box %1 %2,%3 ").arg(box->Key()).arg(box->Left()).arg(box->Top()) +
                          QStringLiteral("%1 %2 %3").arg(box->Text()).arg(box->Shape()).arg(box->toolTip());
        for (const FlowLinkItem* arrow : Scene().Links())
            canvas << QStringLiteral("arrow %1 %2>%3 %4 %5 %6")
                          .arg(arrow->Key(), arrow->Org()->Key(), arrow->Dst()->Key())
                          .arg(arrow->Color())
                          .arg(arrow->Text(), arrow->Condition());
        canvas.sort();
        return (model + canvas).join(u'\n').toStdString();
    }

    void Select(const QStringList& keys)
    {
        Scene().SelectItem(nullptr);
        for (const QString& key : keys) {
            QGraphicsItem* item = key.startsWith(u'L') ? static_cast<QGraphicsItem*>(Scene().LinkByKey(key))
                                                       : Scene().NodeByKey(key);
            ASSERT_NE(item, nullptr) << key.toStdString();
            item->setSelected(true);
        }
    }
    void Trigger(const QString& name)
    {
        QCoreApplication::processEvents();
        QAction* action = Window().MenuItem(name) ? Window().MenuItem(name) : Window().MenuBarAction(name);
        ASSERT_NE(action, nullptr) << name.toStdString();
        ASSERT_TRUE(action->isEnabled()) << name.toStdString();
        action->trigger();
    }
    // A key pressed on the canvas, after the events at hand (as keys come through the event loop).
    void Key(int key, Qt::KeyboardModifiers modifiers = {})
    {
        QCoreApplication::processEvents();
        Canvas().setFocus();
        QTest::keyClick(&Canvas(), static_cast<Qt::Key>(key), modifiers);
    }
};

} // namespace korvel
