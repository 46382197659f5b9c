// The layout of a flow through Graphviz's C interface. Graphviz finds its plugins through a
// configuration file that a fresh installation may lack, so the dot layout plugin is linked in and
// handed to the context directly; nothing is looked up at run time.
#include "model/flowlayout.h"

#include "core/korvelerror.h"
#include "core/sameid.h"
#include "model/coordinates.h"
#include "model/cworder.h"
#include "model/flowcheck.h"

#include <graphviz/gvc.h>

#include <QHash>
#include <QSet>
#include <algorithm>
#include <limits>
#include <memory>
#include <string>
#include <vector>

extern "C" {
extern gvplugin_library_t gvplugin_dot_layout_LTX_library;
}

namespace korvel {
namespace {

enum : qint32 {
    MsgLayoutFailed = 2170,
    MsgTooLarge = 2171,
};

constexpr double TwipsPerInch = 1440;
constexpr double TwipsPerPoint = 20;
// Between two ranks (columns) the widest caption of a link must read, with a margin, within these
// bounds (a flow with one very long caption should not spread out too far); between two rows of one
// rank a caption drawn aside of a link, and a back link routed round the boxes.
constexpr double RankGap = 2000;
constexpr double WidestRankGap = 6000;
constexpr double CaptionMargin = 600;
constexpr double RowGap = 700;

double RankGapFor(const FlowLayoutBoxes& boxes)
{
    return std::clamp(boxes.captionWidth + CaptionMargin, RankGap, WidestRankGap);
}
// Dot balances the rows of a rank with network simplex, whose time grows with the square of the
// steps (a flow of 3,000 took 14 s). Above this many steps the balancing is skipped: the rows stay
// as the first feasible solution packs them, and 3,000 steps take a fraction of a second.
constexpr qsizetype BalancedSteps = 1000;

char* Writable(const char* text)
{
    return const_cast<char*>(text); // Graphviz's interface is not const-correct; it copies.
}

// Graphviz reports errors through a global hook: collected here while one layout runs, with the
// previous hook and level put back afterwards.
class GraphvizErrors final {
public:
    GraphvizErrors() : m_level(agseterr(AGERR)), m_hook(agseterrf(&Collect)) { Collected().clear(); }
    ~GraphvizErrors()
    {
        agseterrf(m_hook);
        agseterr(m_level);
    }
    GraphvizErrors(const GraphvizErrors&) = delete;
    GraphvizErrors& operator=(const GraphvizErrors&) = delete;
    static QString Text() { return QString::fromLocal8Bit(Collected()).trimmed(); }

private:
    static std::string& Collected()
    {
        static std::string text;
        return text;
    }
    static int Collect(char* message)
    {
        Collected() += message;
        return 0;
    }
    agerrlevel_t m_level;
    agusererrf m_hook;
};

struct ContextFree {
    void operator()(GVC_t* context) const { gvFreeContext(context); }
};
struct GraphClose {
    void operator()(Agraph_t* graph) const { agclose(graph); }
};

// One graph of boxes laid out by dot, left to right; positions read back in twips.
class DotGraph final {
public:
    DotGraph(qsizetype steps, double rankGap)
    {
        static lt_symlist_t builtins[] = {
            {"gvplugin_dot_layout_LTX_library", &gvplugin_dot_layout_LTX_library},
            {nullptr, nullptr},
        };
        m_context.reset(gvContextPlugins(builtins, 0));
        m_graph.reset(agopen(Writable("flow"), Agstrictdirected, nullptr));
        if (!m_context || !m_graph)
            throw KorvelError(FormatMessage(MsgLayoutFailed, {GraphvizErrors::Text()}));
        const auto graphAttribute = [this](const char* name, const QByteArray& value) {
            agattr(m_graph.get(), AGRAPH, Writable(name), Writable(value.constData()));
        };
        graphAttribute("rankdir", "LR");
        graphAttribute("ranksep", QByteArray::number(rankGap / TwipsPerInch));
        graphAttribute("nodesep", QByteArray::number(RowGap / TwipsPerInch));
        // The canvas draws its own lines: no splines. The newer ranking takes a tenth of the time
        // of the classic one on long flows.
        graphAttribute("splines", "none");
        graphAttribute("newrank", "true");
        if (steps > BalancedSteps)
            graphAttribute("nslimit", "0");
        agattr(m_graph.get(), AGNODE, Writable("shape"), Writable("box"));
        agattr(m_graph.get(), AGNODE, Writable("fixedsize"), Writable("true"));
        agattr(m_graph.get(), AGNODE, Writable("label"), Writable(""));
        m_width = agattr(m_graph.get(), AGNODE, Writable("width"), Writable("1"));
        m_height = agattr(m_graph.get(), AGNODE, Writable("height"), Writable("1"));
        agattr(m_graph.get(), AGRAPH, Writable("rank"), Writable(""));
    }
    ~DotGraph()
    {
        if (m_laidOut)
            gvFreeLayout(m_context.get(), m_graph.get());
    }
    DotGraph(const DotGraph&) = delete;
    DotGraph& operator=(const DotGraph&) = delete;

    // A box of `size` twips; `rank` "source" or "sink" puts it alone in the first or last rank.
    int AddBox(const QSizeF& size, const char* rank = nullptr)
    {
        Agraph_t* parent = m_graph.get();
        if (rank) {
            parent = agsubg(m_graph.get(), Writable(rank), 1);
            agsafeset(parent, Writable("rank"), Writable(rank), Writable(""));
        }
        const QByteArray name = QByteArray::number(m_nodes.size());
        Agnode_t* node = agnode(parent, Writable(name.constData()), 1);
        agxset(node, m_width, Writable(QByteArray::number(size.width() / TwipsPerInch).constData()));
        agxset(node, m_height, Writable(QByteArray::number(size.height() / TwipsPerInch).constData()));
        m_nodes.push_back(node);
        m_sizes.push_back(size);
        return static_cast<int>(m_nodes.size() - 1);
    }
    void AddEdge(int from, int to)
    {
        if (from != to)
            agedge(m_graph.get(), m_nodes.at(from), m_nodes.at(to), nullptr, 1);
    }
    void LayOut()
    {
        // A layout that failed half-way is freed all the same.
        m_laidOut = true;
        if (gvLayout(m_context.get(), m_graph.get(), "dot") != 0)
            throw KorvelError(FormatMessage(MsgLayoutFailed, {GraphvizErrors::Text()}));
    }
    // The box's top-left corner, twips, the y axis pointing down from the drawing's top.
    QPointF TopLeft(int box) const
    {
        const pointf centre = ND_coord(m_nodes.at(box));
        const double top = GD_bb(m_graph.get()).UR.y;
        const QSizeF& size = m_sizes.at(box);
        return {centre.x * TwipsPerPoint - size.width() / 2, (top - centre.y) * TwipsPerPoint - size.height() / 2};
    }

private:
    GraphvizErrors m_errors;
    std::unique_ptr<GVC_t, ContextFree> m_context;
    std::unique_ptr<Agraph_t, GraphClose> m_graph; // closed before the context is freed
    Agsym_t* m_width = nullptr;
    Agsym_t* m_height = nullptr;
    std::vector<Agnode_t*> m_nodes;
    std::vector<QSizeF> m_sizes;
    bool m_laidOut = false;
};

// The live steps to lay out (all when `only` is null), in the order they stand on the canvas, left
// to right and top to bottom, so that dot starts from the order the user made.
QList<const cNode*> StepsToLay(cWorder& frame, const QSet<QString>* only)
{
    QList<const cNode*> steps;
    for (const auto& [id, node] : frame.AllNode().AllNode())
        if (node->CanLoadFlag() == 1 && (!only || only->contains(IdKey(node->WorkOrderNode_ID()))))
            steps.append(node.get());
    std::stable_sort(steps.begin(), steps.end(), [](const cNode* a, const cNode* b) {
        return std::pair(a->NodeLeft(), a->NodeTop()) < std::pair(b->NodeLeft(), b->NodeTop());
    });
    return steps;
}

// Lays `steps` out with the live links between them (and from Start and to End at the boxes given,
// -1 for none); the top-left corners in the steps' order, in dot's drawing.
QList<QPointF> LaidOut(cWorder& frame, const QList<const cNode*>& steps, const FlowLayoutBoxes& boxes, bool ends)
{
    DotGraph graph(steps.size(), RankGapFor(boxes));
    const int start = ends ? graph.AddBox(boxes.start.size(), "source") : -1;
    QHash<QString, int> boxOf;
    for (const cNode* step : steps)
        boxOf.insert(IdKey(step->WorkOrderNode_ID()), graph.AddBox(boxes.step));
    const int end = ends ? graph.AddBox(boxes.start.size(), "sink") : -1;
    const auto boxNamed = [&](const QString& id) {
        if (id == BeginNodeID)
            return start;
        if (id == EndNodeID)
            return end;
        return boxOf.value(IdKey(id), -1);
    };
    QSet<int> entered, left;
    for (const auto& [key, link] : frame.AllLink().AllLinks()) {
        const int from = boxNamed(link->FatherNode_ID()), to = boxNamed(link->SonNode_ID());
        if (link->CanLoadFlag() != 1 || from < 0 || to < 0 || from == to)
            continue;
        graph.AddEdge(from, to);
        entered.insert(to);
        left.insert(from);
    }
    // A step no link enters follows Start, one no link leaves comes before End: unlinked steps
    // stand inside the flow, not beside Start.
    if (ends)
        for (const cNode* step : steps) {
            const int box = boxOf.value(IdKey(step->WorkOrderNode_ID()));
            if (!entered.contains(box))
                graph.AddEdge(start, box);
            if (!left.contains(box))
                graph.AddEdge(box, end);
        }
    graph.LayOut();
    QList<QPointF> corners;
    corners.reserve(steps.size() + 1);
    for (const cNode* step : steps)
        corners.append(graph.TopLeft(boxOf.value(IdKey(step->WorkOrderNode_ID()))));
    if (ends)
        corners.append(graph.TopLeft(start));
    return corners;
}

// The places of `steps` at `corners` moved by `shift`, refused when one leaves the coordinate range.
StepPlaces Places(const QList<const cNode*>& steps, const QList<QPointF>& corners, const QPointF& shift,
                  const QSizeF& box)
{
    StepPlaces places;
    places.reserve(steps.size());
    for (qsizetype i = 0; i < steps.size(); ++i) {
        const QPointF place = corners.at(i) + shift;
        if (!CoordinateInRange(place.x() + box.width()) || !CoordinateInRange(place.y() + box.height()) ||
            place.x() < 0 || place.y() < 0)
            throw KorvelError(FormatMessage(MsgTooLarge, {QString::number(steps.size())}));
        places.append({steps.at(i)->WorkOrderNode_ID(), QPoint(qRound(place.x()), qRound(place.y()))});
    }
    return places;
}

// The smallest rectangle holding the boxes of `size` at `corners` (the first `count`).
QRectF Bounds(const QList<QPointF>& corners, qsizetype count, const QSizeF& size)
{
    QRectF bounds;
    for (qsizetype i = 0; i < count; ++i)
        bounds |= QRectF(corners.at(i), size);
    return bounds;
}

} // namespace

StepPlaces ArrangedFlow(cWorder& frame, const FlowLayoutBoxes& boxes)
{
    const QList<const cNode*> steps = StepsToLay(frame, nullptr);
    if (steps.isEmpty())
        return {};
    const QList<QPointF> corners = LaidOut(frame, steps, boxes, true);
    // Start's box in dot's drawing lands on Start's fixed box; then every step is moved right of it
    // with a caption's room, and down below the canvas's top, where dot's ranks did not do so.
    const QPointF startCorner = corners.constLast();
    QPointF shift = boxes.start.topLeft() - startCorner;
    const QRectF flow = Bounds(corners, steps.size(), boxes.step).translated(shift);
    shift.rx() += std::max(0.0, boxes.start.right() + RankGapFor(boxes) - flow.left());
    shift.ry() += std::max(0.0, boxes.start.top() - flow.top());
    return Places(steps, corners, shift, boxes.step);
}

StepPlaces ArrangedSteps(cWorder& frame, const FlowLayoutBoxes& boxes, const QStringList& stepIds)
{
    QSet<QString> chosen;
    for (const QString& id : stepIds)
        chosen.insert(IdKey(id));
    const QList<const cNode*> steps = StepsToLay(frame, &chosen);
    if (steps.isEmpty())
        return {};
    QRectF before;
    for (const cNode* step : steps)
        before |= QRectF(QPointF(step->NodeLeft(), step->NodeTop()), boxes.step);
    const QList<QPointF> corners = LaidOut(frame, steps, boxes, false);
    const QRectF laid = Bounds(corners, steps.size(), boxes.step);
    // A stored place may lie beyond the canvas's edges; the block never does.
    QPointF shift = QPointF(std::max(0.0, before.left()), std::max(0.0, before.top())) - laid.topLeft();
    QRectF block = laid.translated(shift);

    // The steps left out, and Start, that the block must not cover (with a row's room round them),
    // by their tops; the block moves down below each it meets until it meets none.
    QList<QRectF> others{boxes.start};
    for (const auto& [id, node] : frame.AllNode().AllNode())
        if (node->CanLoadFlag() == 1 && !chosen.contains(IdKey(node->WorkOrderNode_ID())))
            others.append(QRectF(QPointF(node->NodeLeft(), node->NodeTop()), boxes.step));
    std::sort(others.begin(), others.end(), [](const QRectF& a, const QRectF& b) { return a.top() < b.top(); });
    for (bool moved = true; moved;) {
        moved = false;
        for (const QRectF& other : std::as_const(others)) {
            const QRectF kept = other.adjusted(-RowGap, -RowGap, RowGap, RowGap);
            if (kept.intersects(block)) {
                block.moveTop(kept.bottom());
                moved = true;
            }
        }
    }
    shift.ry() = block.top() - laid.top();
    return Places(steps, corners, shift, boxes.step);
}

} // namespace korvel
