// Export and import of frames on SQLite and PostgreSQL: the round trip, hostile texts, and broken
// files that must change nothing.
#include "core/korvelerror.h"
#include "core/progress.h"
#include "exchange/stepclipboard.h"
#include "model/framefile.h"
#include "model/strictjson.h"
#include "exchange/frameexchange.h"
#include "tests/model/modelfixture.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvel {
namespace {

class Exchange : public ModelTest {
protected:
    // The naughty strings, and U+FEFF, U+FFFE and U+FFFF, also starting a text.
    static QJsonArray Naughty()
    {
        QFile file(QStringLiteral(KORVEL_TEST_DATA_DIR "/naughty-strings.json"));
        QJsonValue list; // read strictly: Qt's reader drops the list's raw U+FEFFs
        JsonRefusal refusal;
        EXPECT_TRUE(file.open(QIODevice::ReadOnly) && StrictJson::Read(file.readAll(), list, refusal));
        return list.toArray() << u"\uFEFFat the start"_s << u"\uFFFE\uFFFF and \uFEFF"_s;
    }

    // A frame of hostile texts with a return step and a conditional link.
    void AddHostileFrame()
    {
        const QJsonArray naughty = Naughty();

        FrameValues header;
        header.WorkOrderFrame_ID = u"NAUGHT"_s;
        header.WorkOrderFrameName = naughty.at(10).toString();
        header.ExpiredPeriod = 2;
        header.ReplyContent = naughty.at(9).toString();
        ASSERT_EQ(DBOperate().InsertWorkOrderFrame(header), 1) << log();
        QString previous = u"BEGIN"_s;
        int code = 0;
        for (qsizetype i = 0; i < naughty.size(); ++i) {
            NodeValues step;
            step.WorkOrderFrame_ID = u"NAUGHT"_s;
            step.WorkOrderNode_ID = u"X%1"_s.arg(i);
            step.WorkOrderNodeName = naughty.at(i).toString();
            step.WEBLink = naughty.at((i + 1) % naughty.size()).toString();
            step.HandleGroup_ID = u"G01"_s;
            step.ExpiredPeriod = int(i);
            step.ReturnOldStep = previous == u"BEGIN"_s ? QString() : previous; // a return step
            ASSERT_EQ(DBOperate().InsertNode(step), 1) << log();
            LinkValues link{u"NAUGHT"_s, u"K%1"_s.arg(++code), naughty.at((i + 2) % naughty.size()).toString(),
                            step.WorkOrderNode_ID, previous, 1, naughty.at((i + 3) % naughty.size()).toString(),
                            u"="_s, naughty.at((i + 4) % naughty.size()).toString()};
            ASSERT_EQ(DBOperate().InsertLinks(link), 1) << log();
            previous = step.WorkOrderNode_ID;
        }
        ASSERT_EQ(DBOperate().InsertLinks({u"NAUGHT"_s, u"K0"_s, u""_s, u"END"_s, previous, 0, u""_s, u""_s, u""_s}), 1) << log();
    }

    // The file with every step ID replaced by its place in its frame: what must survive a trip.
    static QJsonDocument WithoutStepIds(const QByteArray& file)
    {
        QJsonObject root = QJsonDocument::fromJson(file).object();
        QJsonArray frames = root.value(u"frames"_s).toArray();
        for (qsizetype f = 0; f < frames.size(); ++f) {
            QJsonObject frame = frames.at(f).toObject();
            QHash<QString, QString> place{{u"BEGIN"_s, u"BEGIN"_s}, {u"END"_s, u"END"_s}, {u""_s, u""_s}};
            QJsonArray steps = frame.value(u"steps"_s).toArray();
            for (qsizetype s = 0; s < steps.size(); ++s)
                place.insert(steps.at(s).toObject().value(u"WorkOrderNode_ID"_s).toString(), u"#%1"_s.arg(s));
            auto rename = [&](QJsonArray& rows, const QStringList& fields) {
                for (qsizetype r = 0; r < rows.size(); ++r) {
                    QJsonObject row = rows.at(r).toObject();
                    for (const QString& field : fields)
                        row.insert(field, place.value(row.value(field).toString(), u"?unknown"_s));
                    rows.replace(r, row);
                }
            };
            rename(steps, {u"WorkOrderNode_ID"_s, u"ReturnOldStep"_s});
            QJsonArray links = frame.value(u"links"_s).toArray();
            rename(links, {u"FatherNode_ID"_s, u"SonNode_ID"_s});
            frame.insert(u"steps"_s, steps);
            frame.insert(u"links"_s, links);
            frames.replace(f, frame);
        }
        root.insert(u"frames"_s, frames);
        return QJsonDocument(root);
    }

    // The file's frames under the IDs given: frame i is the file's frame i, or its last one.
    static QByteArray WithFrameIds(const QByteArray& file, const QStringList& ids)
    {
        QJsonObject root = QJsonDocument::fromJson(file).object();
        const QJsonArray given = root.value(u"frames"_s).toArray();
        QJsonArray frames;
        for (qsizetype i = 0; i < ids.size(); ++i) {
            QJsonObject frame = given.at(std::min(i, given.size() - 1)).toObject();
            QJsonObject header = frame.value(u"header"_s).toObject();
            header.insert(u"WorkOrderFrame_ID"_s, ids.at(i));
            frame.insert(u"header"_s, header);
            frames.append(frame);
        }
        root.insert(u"frames"_s, frames);
        return QJsonDocument(root).toJson();
    }
};

TEST_P(Exchange, RoundTripThroughAnEmptyDatabaseKeepsEveryValue)
{
    AddHostileFrame();
    ImportFrames(ExportFrames({u"NAUGHT"_s}), u"NC\uFFFE"_s);
    const QStringList ids = Rows(u"select WorkOrderFrame_ID from TWO_Frame where WorkOrderFrame_ID <> 'NC\uFFFE'"_s) << u"NC\uFFFE"_s;
    const QByteArray first = ExportFrames(ids);

    // Into an empty database of the same kind, by a second host.
    TestDatabase empty(GetParam(), false);
    QByteArray second;
    {
        TestHost otherHost(empty.database(), u"S0002"_s);
        AddinSession session(otherHost);
        const ImportResult result = ImportFrames(first);
        EXPECT_EQ(result.frameIds, ids);
        // The empty database has no lookups: each one named is reported, the import went ahead.
        EXPECT_FALSE(result.findings.isEmpty());
        for (const FlowFinding& f : result.findings)
            EXPECT_EQ(f.messageId, 1435);
        second = ExportFrames(ids);
        EXPECT_TRUE(otherHost.logLines().isEmpty()) << otherHost.logLines().join(u'\n').toStdString();
    }
    EXPECT_EQ(WithoutStepIds(second), WithoutStepIds(first));
    EXPECT_NE(second, first) << "the steps must have new IDs";
    for (const QJsonValue& text : Naughty()) // each as the file writes it
        EXPECT_TRUE(second.contains(QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact).chopped(1).mid(1)));

    // The file is the text Qt's own writer gives for the same values, indented or compact, also for
    // texts no database stores (lone surrogates, control characters) and steps out of order.
    QJsonValue read;
    JsonRefusal refusal;
    ASSERT_TRUE(StrictJson::Read(first, read, refusal));
    EXPECT_EQ(first, QJsonDocument(read.toObject()).toJson());
    const char16_t odd[] = {0xD800, u' ', 0xDC00, 0x01, 0x1F, 0x7F, 0xE9, 0x4E2D, 0xD83D, 0xDE00, u'"', u'\\', u'\t'};
    FrameRecord frame;
    frame.header.WorkOrderFrameName = QString::fromUtf16(odd, std::size(odd));
    frame.steps.resize(2);
    frame.steps[0].WorkOrderNode_ID = u"N2"_s;
    frame.steps[0].WorkOrderNodeName = frame.header.WorkOrderFrameName;
    frame.steps[1].WorkOrderNode_ID = u"N1"_s;
    frame.links.resize(1);
    frame.links[0].WorkOrderLinkName = u"\u0000"_s;
    const QJsonObject object{{u"format"_s, FrameFileFormat},
                             {u"version"_s, FrameFileVersion},
                             {u"lookups"_s, QJsonObject()},
                             {u"frames"_s, QJsonArray{QJsonObject{
                                               {u"header"_s, HeaderToJson(frame.header, frame.audit)},
                                               {u"steps"_s, QJsonArray{StepToJson(frame.steps.at(1)), StepToJson(frame.steps.at(0))}},
                                               {u"links"_s, QJsonArray{LinkToJson(frame.links.at(0))}}}}}};
    for (const auto format : {QJsonDocument::Indented, QJsonDocument::Compact})
        EXPECT_EQ(WriteFrameFile({frame}, format), QJsonDocument(object).toJson(format));
}

TEST_P(Exchange, ImportUnderANewIdGivesFreshStepIdsAndFollowsThem)
{
    AddHostileFrame();
    const QByteArray file = ExportFrames({u"NAUGHT"_s});
    const QStringList before = FlowTables();
    const ImportResult result = ImportFrames(file, u"COPY1"_s);
    EXPECT_EQ(result.frameIds, QStringList{u"COPY1"_s});
    EXPECT_TRUE(result.findings.isEmpty()); // the demo database has G01
    // No step ID of the copy is one used before, and every reference points into the copy.
    EXPECT_EQ(db().scalar(u"select count(*) from Two_Node a join Two_Node b on a.WorkOrderNode_ID = "
                          "b.WorkOrderNode_ID where a.WorkOrderFrame_ID = 'COPY1' and b.WorkOrderFrame_ID <> 'COPY1'"_s)
                  .toInt(),
              0);
    EXPECT_EQ(db().scalar(u"select count(*) from Two_Link l where l.WorkOrderFrame_ID = 'COPY1' and l.SonNode_ID <> "
                          "'END' and not exists (select 1 from Two_Node n where n.WorkOrderFrame_ID = 'COPY1' and "
                          "n.WorkOrderNode_ID = l.SonNode_ID)"_s)
                  .toInt(),
              0);
    EXPECT_EQ(db().scalar(u"select count(*) from Two_Node a where a.WorkOrderFrame_ID = 'COPY1' and a.ReturnOldStep "
                          "<> '' and not exists (select 1 from Two_Node n where n.WorkOrderFrame_ID = 'COPY1' and "
                          "n.WorkOrderNode_ID = a.ReturnOldStep)"_s)
                  .toInt(),
              0);
    const auto steps = [](const QByteArray& file) {
        return WithoutStepIds(file).object().value(u"frames"_s).toArray().at(0).toObject().value(u"steps"_s).toArray();
    };
    EXPECT_EQ(steps(ExportFrames({u"COPY1"_s})), steps(file));
    // The header, each step, and one link into each step plus the one into End.
    EXPECT_EQ(FlowTables().size(), before.size() + 2 + 2 * steps(file).size());
}

TEST_P(Exchange, BrokenFileIsRefusedWithItsReasonAndChangesNothing)
{
    const QByteArray good = ExportFrames({u"CMP01"_s});
    QJsonObject root = QJsonDocument::fromJson(good).object();
    auto edited = [&](const std::function<void(QJsonObject& frame)>& edit, const QString& newRootKey = {},
                      const QJsonValue& newRootValue = {}) {
        QJsonObject copy = root;
        QJsonArray frames = copy.value(u"frames"_s).toArray();
        QJsonObject frame = frames.at(0).toObject();
        edit(frame);
        frames.replace(0, frame);
        copy.insert(u"frames"_s, frames);
        if (!newRootKey.isEmpty())
            copy.insert(newRootKey, newRootValue);
        return QJsonDocument(copy).toJson();
    };
    auto editRow = [](QJsonObject& frame, const QString& list, const std::function<void(QJsonObject&)>& edit) {
        QJsonArray rows = frame.value(list).toArray();
        QJsonObject row = rows.at(0).toObject();
        edit(row);
        rows.replace(0, row);
        frame.insert(list, rows);
    };
    const auto newId = [](QJsonObject& frame) {
        QJsonObject header = frame.value(u"header"_s).toObject();
        header.insert(u"WorkOrderFrame_ID"_s, u"FRESH"_s);
        frame.insert(u"header"_s, header);
    };
    const struct {
        const char* name;
        QByteArray file;
        QString expected; // a part of the message
    } cases[] = {
        {"bad JSON", good.left(good.indexOf("\"steps\"") + 12), u"line "_s},
        {"not JSON at all", "format: korvel", u"line 1, column"_s},
        {"missing field",
         edited([&](QJsonObject& f) { newId(f); editRow(f, u"steps"_s, [](QJsonObject& s) { s.remove(u"NodeTop"_s); }); }),
         u"\"NodeTop\" is missing"_s},
        {"text where a number belongs",
         edited([&](QJsonObject& f) { newId(f); editRow(f, u"steps"_s, [](QJsonObject& s) { s.insert(u"NodeTop"_s, u"1"_s); }); }),
         u"\"NodeTop\" must be a whole number"_s},
        {"a fraction where a whole number belongs",
         edited([&](QJsonObject& f) { newId(f); editRow(f, u"steps"_s, [](QJsonObject& s) { s.insert(u"NodeTop"_s, 1.5); }); }),
         u"\"NodeTop\" must be a whole number"_s},
        {"one frame twice, in other letter case", WithFrameIds(good, {u"Fresh"_s, u"fRESH"_s}), u"appears twice"_s},
        {"wrong version", edited(newId, u"version"_s, 2), u"version 2"_s},
        {"another format", edited(newId, u"format"_s, u"other"_s), u"korvel-frames"_s},
        {"link to an unknown step",
         edited([&](QJsonObject& f) { newId(f); editRow(f, u"links"_s, [](QJsonObject& l) { l.insert(u"SonNode_ID"_s, u"NOPE"_s); }); }),
         u"NOPE"_s},
        {"return step unknown",
         edited([&](QJsonObject& f) { newId(f); editRow(f, u"steps"_s, [](QJsonObject& s) { s.insert(u"ReturnOldStep"_s, u"NOPE"_s); }); }),
         u"NOPE"_s},
        {"existing frame ID", good, u"CMP01"_s},
        {"NUL in a text", edited([&](QJsonObject& f) { newId(f); editRow(f, u"steps"_s, [](QJsonObject& s) { s.insert(u"WorkOrderNodeName"_s, u"a\0b"_s); }); }),
         u"frames[0].steps[0]: WorkOrderNodeName holds a character no database can store (NUL)"_s},
        {"frame ID too long", edited([](QJsonObject& f) {
             QJsonObject header = f.value(u"header"_s).toObject();
             header.insert(u"WorkOrderFrame_ID"_s, u"ABCDEFG"_s);
             f.insert(u"header"_s, header);
         }),
         u"ABCDEFG"_s},
    };
    for (const auto& c : cases) {
        const QStringList before = FlowTables();
        try {
            ImportFrames(c.file);
            ADD_FAILURE() << c.name << ": imported";
        } catch (const KorvelError& e) {
            EXPECT_TRUE(e.description().contains(c.expected)) << c.name << ": " << e.what();
        }
        EXPECT_EQ(FlowTables(), before) << c.name;
    }
}

// The corpus of hostile shapes (tests/data/frame-files): each accepted file is imported with its
// text and dates as recorded, each refused one gives its recorded message and changes nothing; so
// do what is not a regular file and what is too large.
TEST_P(Exchange, CorpusFilesAreTakenOrRefusedAsRecorded)
{
    const QString dir = QStringLiteral(KORVEL_TEST_DATA_DIR "/frame-files/");
    const auto table = [&](const QString& name) {
        QFile file(dir + name);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        QList<QStringList> rows;
        for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts))
            if (!line.startsWith(u'#'))
                rows << line.split(u'\t');
        return rows;
    };
    QTemporaryDir temp;
    const QString fifo = temp.filePath(u"fifo"_s), large = temp.filePath(u"large.json"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QFile sparse(large);
    ASSERT_TRUE(sparse.open(QIODevice::WriteOnly) && sparse.resize(MaxImportFileBytes + 1));
    QList<QStringList> refused = table(u"refused.tsv"_s);
    for (QStringList& row : refused)
        row[0] = dir + u"refused/"_s + row[0];
    refused << QStringList{fifo, u"is not a regular file"_s} << QStringList{u"/dev/zero"_s, u"is not a regular file"_s}
            << QStringList{temp.path(), u"is not a regular file"_s} << QStringList{large, u"larger than 64 MiB"_s};
    ASSERT_GE(refused.size(), 30);
    for (const QStringList& row : std::as_const(refused)) {
        const QStringList before = FlowTables();
        try {
            ImportFramesFromFile(row.at(0));
            ADD_FAILURE() << row.at(0).toStdString() << ": imported";
        } catch (const KorvelError& e) {
            EXPECT_TRUE(e.description().contains(row.at(1))) << row.at(0).toStdString() << ": " << e.what();
        }
        EXPECT_EQ(FlowTables(), before) << row.at(0).toStdString();
    }

    // Pasted steps go through the same reader.
    NodeValues step;
    step.WorkOrderNode_ID = u"N1"_s;
    const QByteArray payload = StepsToJson({u"db"_s, u"CMP01"_s, {step}, {}});
    EXPECT_EQ(StepsFromJson(payload).steps.value(0).WorkOrderNode_ID, u"N1"_s);
    for (const auto& [broken, where] :
         {std::pair{QByteArray(payload).replace("\"N1\"", "\"N\\q1\""), u"column"_s},
          {QByteArray(payload).replace("\"N1\"", "\"N\\ud800\""), u"column"_s},
          {QByteArray(payload).replace("\"frame\"", "\"frame\": \"X\", \"frame\""), u"column"_s},
          {QByteArray(payload).replace("\"NodeLeft\": 0", "\"NodeLeft\": 2147483600"), u"steps[0]: the field \"NodeLeft\""_s}})
        try { // refused saying where
            StepsFromJson(broken);
            ADD_FAILURE() << broken.constData();
        } catch (const KorvelError& e) {
            EXPECT_TRUE(e.description().contains(where)) << e.what();
        }

    const QList<QStringList> accepted = table(u"accepted.tsv"_s);
    ASSERT_GE(accepted.size(), 10);
    for (qsizetype i = 0; i < accepted.size(); ++i) {
        const QStringList& row = accepted.at(i);
        const QString path = dir + u"accepted/"_s + row.at(0);
        EXPECT_EQ(FrameFileHeaders(path).value(0).WorkOrderFrameName.toUtf8().toHex(), row.at(2).toLatin1())
            << row.at(0).toStdString();
        // The last file comes through standard input ("-").
        const int savedInput = ::dup(STDIN_FILENO), fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
        if (i == accepted.size() - 1)
            ::dup2(fd, STDIN_FILENO);
        try {
            EXPECT_EQ(ImportFramesFromFile(i == accepted.size() - 1 ? u"-"_s : path).frameIds, QStringList{row.at(1)});
        } catch (const KorvelError& e) {
            ADD_FAILURE() << row.at(0).toStdString() << ": " << e.what();
        }
        ::dup2(savedInput, STDIN_FILENO);
        ::close(savedInput);
        ::close(fd);
        const QString where = u" where WorkOrderFrame_ID = '%1'"_s.arg(row.at(1));
        const QJsonObject header = QJsonDocument::fromJson(ExportFrames({row.at(1)})).object()[u"frames"_s][0][u"header"_s].toObject();
        EXPECT_EQ(header[u"CreatedDate"_s].toString(), row.value(3)) << row.at(0).toStdString();
        if (GetParam() == TestDatabase::Kind::SQLite) { // stored in the column's own form
            EXPECT_EQ(db().scalar(u"select CreatedDate from TWO_Frame"_s + where).toString(), row.value(3).replace(u'T', u' '));
        }
    }
}

TEST_P(Exchange, AFailingStatementRollsTheWholeImportBack)
{
    const QByteArray file = WithFrameIds(ExportFrames({u"CMP01"_s, u"REP01"_s}), {u"NEW0"_s, u"NEW1"_s});
    // The second frame's links are refused by the database, after the first frame was written.
    RefuseRows(u"Two_Link"_s, u"INSERT"_s, u"WorkOrderFrame_ID"_s, u"NEW1"_s);
    const QStringList before = FlowTables();
    EXPECT_THROW(ImportFrames(file), KorvelError);
    EXPECT_EQ(FlowTables(), before);

    // Another session stores the frame between the check of its ID and the import's insert: the
    // loser hears it in Korvel's words, not in the database's.
    struct Rival final : Progress {
        void Expect(int) override
        {
            FrameValues header;
            header.WorkOrderFrame_ID = u"NEW0"_s;
            EXPECT_EQ(DBOperate().InsertWorkOrderFrame(header), 1);
        }
        void Advance() override {}
    } rival;
    try {
        ImportFrames(file, QString(), &rival);
        ADD_FAILURE() << "imported";
    } catch (const KorvelError& e) {
        EXPECT_TRUE(e.description().startsWith(u"The work order NEW0 was added by someone else meanwhile"_s)) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Db, Exchange, KorvelDatabaseKinds(), KorvelDatabaseKindName());

} // namespace
} // namespace korvel
