-- Korvel database, PostgreSQL (also the generic script for other servers).
-- The flow tables the designer reads and writes, the lookup tables the host owns, and the host's
-- record-lock table. Identifier columns compare without regard to letter case (COLLATE korvel_ci),
-- as the frame, node and link IDs typed by users are matched. Identifiers are written unquoted,
-- so "TWO_Frame" and "two_frame" name one table.
-- Every statement ends with ";" at the end of a line; nothing else does.
-- The script runs in one transaction; SET LOCAL keeps the "already exists" notices of a second
-- run quiet for that transaction only.

SET LOCAL client_min_messages = warning;

-- korvel_ci is an ICU collation that ignores letter case but not accents; being
-- nondeterministic, it also makes "=" and the primary keys ignore case.

CREATE COLLATION IF NOT EXISTS korvel_ci (provider = icu, locale = 'und-u-ks-level2', deterministic = false);

CREATE TABLE IF NOT EXISTS TWO_Frame (
    WorkOrderFrame_ID     VARCHAR(40) COLLATE korvel_ci NOT NULL PRIMARY KEY,
    WorkOrderFrameName    TEXT,
    Category              VARCHAR(40) COLLATE korvel_ci,
    Priority_ID           VARCHAR(40) COLLATE korvel_ci,
    ExpiredPeriod         INTEGER,
    ExpiredPeriodType_ID  VARCHAR(40) COLLATE korvel_ci,
    CanSkip               INTEGER,
    AddinType             INTEGER,
    WEBLink               TEXT,
    Group_IDA             VARCHAR(40) COLLATE korvel_ci,
    CanFullScreen         INTEGER,
    PrintFormat           VARCHAR(40) COLLATE korvel_ci,
    CanGenerateOB         INTEGER,
    GenerateRate          INTEGER,
    Group_IDA2            VARCHAR(40) COLLATE korvel_ci,
    CreatedBy             VARCHAR(40) COLLATE korvel_ci,
    CreatedDate           TIMESTAMP(0),
    ModifiedBy            VARCHAR(40) COLLATE korvel_ci,
    ModifiedDate          TIMESTAMP(0),
    ReplyFlag             INTEGER,
    ReplyMode             INTEGER,
    ReplyAddress          TEXT,
    ReplyFile             VARCHAR(40) COLLATE korvel_ci,
    PRINTGROUP            VARCHAR(40) COLLATE korvel_ci,
    REPLYGROUP            VARCHAR(40) COLLATE korvel_ci,
    REPLYCONTENT          TEXT,
    ForecastUnit          VARCHAR(40) COLLATE korvel_ci,
    ForecastLen           INTEGER
);

CREATE TABLE IF NOT EXISTS Two_Node (
    WorkOrderFrame_ID     VARCHAR(40) COLLATE korvel_ci NOT NULL,
    WorkOrderNode_ID      VARCHAR(40) COLLATE korvel_ci NOT NULL,
    WorkOrderNodeName     TEXT,
    ExpiredPeriod         INTEGER,
    ExpiredPeriodType_ID  VARCHAR(40) COLLATE korvel_ci,
    CanSendBack           INTEGER,
    CanSendSelf           INTEGER,
    CanSkip               INTEGER,
    EmailNotify           VARCHAR(40),
    SMSNotify             VARCHAR(40),
    AddinType             INTEGER,
    WEBLink               TEXT,
    Group_IDA             VARCHAR(40) COLLATE korvel_ci,
    CanFullScreen         INTEGER,
    HandleBy_ID           VARCHAR(40) COLLATE korvel_ci,
    HandleGroup_ID        VARCHAR(40) COLLATE korvel_ci,
    ExpiredHandleBy_ID    VARCHAR(40) COLLATE korvel_ci,
    ExpiredHandleGroup_ID VARCHAR(40) COLLATE korvel_ci,
    NodeTop               INTEGER,
    NodeLeft              INTEGER,
    Priority_ID           VARCHAR(40) COLLATE korvel_ci,
    RefuseReply           INTEGER,
    CanClose              INTEGER,
    ContactCust           INTEGER,
    NextBeginTime         INTEGER,
    TickOffFlag           INTEGER,
    ReturnOldStep         VARCHAR(40) COLLATE korvel_ci,
    CanModify             INTEGER,
    CanBackToBy           INTEGER,
    ToHandleby            TEXT,
    ReturnGroupFlag       INTEGER,
    ForecastUnit          VARCHAR(40) COLLATE korvel_ci,
    ForecastLen           INTEGER,
    PRIMARY KEY (WorkOrderFrame_ID, WorkOrderNode_ID)
);
CREATE INDEX IF NOT EXISTS IX_Two_Node_Frame ON Two_Node (WorkOrderFrame_ID);
CREATE INDEX IF NOT EXISTS IX_Two_Node_Node ON Two_Node (WorkOrderNode_ID);

CREATE TABLE IF NOT EXISTS Two_Link (
    WorkOrderFrame_ID     VARCHAR(40) COLLATE korvel_ci NOT NULL,
    WorkOrderLink_ID      VARCHAR(40) COLLATE korvel_ci NOT NULL,
    WorkOrderLinkName     TEXT,
    SonNode_ID            VARCHAR(40) COLLATE korvel_ci,
    FatherNode_ID         VARCHAR(40) COLLATE korvel_ci,
    AlwaysOpen            INTEGER,
    AddinVariant          TEXT,
    CompareType           VARCHAR(40),
    VariantValue          TEXT,
    PRIMARY KEY (WorkOrderFrame_ID, WorkOrderLink_ID)
);
CREATE INDEX IF NOT EXISTS IX_Two_Link_Frame ON Two_Link (WorkOrderFrame_ID);

CREATE TABLE IF NOT EXISTS SYSC_Priority (
    Priority_ID           VARCHAR(40) COLLATE korvel_ci NOT NULL PRIMARY KEY,
    PriorityDescription   TEXT
);

CREATE TABLE IF NOT EXISTS Sysc_WoCategory (
    ID                    VARCHAR(40) COLLATE korvel_ci NOT NULL PRIMARY KEY,
    Description           TEXT
);

CREATE TABLE IF NOT EXISTS Tab_Group (
    Group_IDA             VARCHAR(40) COLLATE korvel_ci NOT NULL PRIMARY KEY,
    GroupName             TEXT
);

CREATE TABLE IF NOT EXISTS objectivetype (
    ObjectiveType_ID      VARCHAR(40) COLLATE korvel_ci NOT NULL PRIMARY KEY,
    ObjectiveTypeDescription TEXT
);

CREATE TABLE IF NOT EXISTS C_TimeType (
    TimeIDA               VARCHAR(40) COLLATE korvel_ci NOT NULL PRIMARY KEY,
    TimeDesc              TEXT
);

CREATE TABLE IF NOT EXISTS rolegroup (
    rolegroup_id          VARCHAR(40) COLLATE korvel_ci NOT NULL PRIMARY KEY,
    RoleGroupDescription  TEXT,
    Status                INTEGER NOT NULL DEFAULT 1
);

CREATE TABLE IF NOT EXISTS Staff (
    Staff_ID              VARCHAR(40) COLLATE korvel_ci NOT NULL PRIMARY KEY,
    StaffName             TEXT
);

CREATE TABLE IF NOT EXISTS StaffRoleGroup (
    Staff_ID              VARCHAR(40) COLLATE korvel_ci NOT NULL,
    RoleGroup_ID          VARCHAR(40) COLLATE korvel_ci NOT NULL,
    PRIMARY KEY (Staff_ID, RoleGroup_ID)
);
CREATE INDEX IF NOT EXISTS IX_StaffRoleGroup_Group ON StaffRoleGroup (RoleGroup_ID);

CREATE TABLE IF NOT EXISTS DocGroup (
    DocGroup_ID           VARCHAR(40) COLLATE korvel_ci NOT NULL PRIMARY KEY,
    Description           TEXT
);

CREATE TABLE IF NOT EXISTS DocTemplate (
    DocTemplate_ID        VARCHAR(40) COLLATE korvel_ci NOT NULL PRIMARY KEY,
    Description           TEXT,
    DOCGROUP_ID           VARCHAR(40) COLLATE korvel_ci,
    DocumentPath          TEXT,
    DocumentPath2         TEXT,
    MailMerge             INTEGER,
    Status                INTEGER NOT NULL DEFAULT 1
);

CREATE TABLE IF NOT EXISTS Korvel_RecordLock (
    AddinName             VARCHAR(40) NOT NULL,
    RecordID              VARCHAR(40) COLLATE korvel_ci NOT NULL,
    StaffID               VARCHAR(40) NOT NULL,
    LockedAt              VARCHAR(19) NOT NULL,
    SessionID             VARCHAR(80),
    PRIMARY KEY (AddinName, RecordID)
);

-- The change log of the frames: one row per write of a frame (content, header, creation, copy,
-- deletion, import, lock, unlock), in the write's transaction. Windows read it after the last serial
-- they saw; a save compares the frame's latest content serial with the one it read.
CREATE TABLE IF NOT EXISTS Korvel_FrameChange (
    Serial                BIGSERIAL PRIMARY KEY,
    FrameID               VARCHAR(40) COLLATE korvel_ci NOT NULL,
    Kind                  VARCHAR(10) NOT NULL,
    StaffID               VARCHAR(40) NOT NULL,
    ChangedAt             VARCHAR(19) NOT NULL
);
CREATE INDEX IF NOT EXISTS IX_Korvel_FrameChange_Frame ON Korvel_FrameChange (FrameID, Serial);

-- The history of the frames: every write that changes a frame's content keeps the whole frame as a
-- frame file (docs/frame-format.md), compressed ("zlib") or as it is ("json"), numbered 1, 2, ... per
-- frame, in the write's transaction. A frame stored before its history began gets version 1 "found"
-- when its history is first asked for.
CREATE TABLE IF NOT EXISTS Korvel_FrameVersion (
    FrameID               VARCHAR(40) COLLATE korvel_ci NOT NULL,
    Version               INTEGER NOT NULL,
    Serial                BIGINT NOT NULL,
    Kind                  VARCHAR(10) NOT NULL,
    StaffID               VARCHAR(40) NOT NULL,
    SavedAt               VARCHAR(19) NOT NULL,
    Origin                VARCHAR(40) NOT NULL,
    Summary               TEXT NOT NULL,
    FrameName             TEXT NOT NULL,
    Encoding              VARCHAR(10) NOT NULL,
    ContentBytes          BIGINT NOT NULL,
    Content               BYTEA NOT NULL,
    PRIMARY KEY (FrameID, Version)
);

-- The version of the layout of Korvel's own tables, by table, so that a later layout can migrate.
CREATE TABLE IF NOT EXISTS Korvel_Schema (
    Name                  VARCHAR(40) PRIMARY KEY,
    Version               INTEGER NOT NULL
);
INSERT INTO Korvel_Schema (Name, Version) VALUES ('Korvel_FrameVersion', 1) ON CONFLICT (Name) DO NOTHING;
