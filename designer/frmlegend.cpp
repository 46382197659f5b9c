#include "designer/frmlegend.h"

#include "canvas/flowview.h"
#include "canvas/frameitems.h"
#include "resources/stringtable.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvel {
namespace {

// The sample's geometry, twips: end points as drawn on the canvas, steps wide enough for their
// explanation.
constexpr double StepLeft = 1800;
constexpr double StepWidth = 3600;
constexpr double StepHeight = 650;
constexpr double RowHeight = 1200;

} // namespace

FrmLegend::FrmLegend(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmLegend"));
    setWindowTitle(LoadResString(1214));
    m_sample = new FlowView(this);
    m_sample->setObjectName(QStringLiteral("Sample"));

    FlowNodeItem* start = m_sample->Scene().AddNode(200, 300, EndPointWidth, EndPointHeight);
    start->setShape(ShapeStart);
    start->setText(LoadResString(81));
    struct Step {
        qint32 textId;
        const char* returnStep;
        const char* handler;
    };
    const Step steps[] = {{1232, "", ""}, {1233, "", "by"}, {1234, "back", ""}};
    QList<FlowNodeItem*> shown;
    double top = 200;
    for (const Step& step : steps) {
        FlowNodeItem* node = m_sample->Scene().AddNode(StepLeft, top, StepWidth, StepHeight);
        SetNodeAppearance(*node, QString::fromLatin1(step.returnStep), QString::fromLatin1(step.handler));
        node->setText(LoadResString(step.textId));
        shown << node;
        top += RowHeight;
    }
    FlowNodeItem* end = m_sample->Scene().AddNode(StepLeft + StepWidth + 1800, 200 + RowHeight + 100, EndPointWidth,
                                          EndPointHeight);
    end->setShape(ShapeEnd);
    end->setText(LoadResString(80));

    FlowLinkItem* always = start->AddLink(shown.at(0));
    always->setColor(LinkColorFor(0));
    always->setText(LoadResString(1235));
    FlowLinkItem* conditional = shown.at(0)->AddLink(end);
    conditional->setColor(LinkColorFor(1));
    conditional->setText(LoadResString(1236));
    conditional->setCondition(LoadResString(1231).arg(LoadResString(1237)));
    shown.at(1)->AddLink(end)->setColor(LinkColorFor(0));
    shown.at(2)->AddLink(end)->setColor(LinkColorFor(0));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(LoadResString(1238));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_sample);
    layout->addWidget(buttons);
    const QRectF extent = m_sample->sceneRect();
    m_sample->setMinimumSize(qRound(extent.width() / TwipsPerPixel) + 4, qRound(extent.height() / TwipsPerPixel) + 4);
}

} // namespace korvel
