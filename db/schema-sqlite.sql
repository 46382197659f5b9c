-- Korvel database, SQLite.
-- The flow tables the designer reads and writes, the lookup tables the host owns, and the host's
-- record-lock table. Identifier columns compare without regard to letter case (COLLATE NOCASE),
-- as the frame, node and link IDs typed by users are matched. Identifiers are written unquoted,
-- so "TWO_Frame" and "two_frame" name one table.
-- Every statement ends with ";" at the end of a line; nothing else does.

CREATE TABLE IF NOT EXISTS TWO_Frame (
    WorkOrderFrame_ID     VARCHAR(40) COLLATE NOCASE NOT NULL PRIMARY KEY,
    WorkOrderFrameName    TEXT,
    Category              VARCHAR(40) COLLATE NOCASE,
    Priority_ID           VARCHAR(40) COLLATE NOCASE,
    ExpiredPeriod         INTEGER,
    ExpiredPeriodType_ID  VARCHAR(40) COLLATE NOCASE,
    CanSkip               INTEGER,
    AddinType             INTEGER,
    WEBLink               TEXT,
    Group_IDA             VARCHAR(40) COLLATE NOCASE,
    CanFullScreen         INTEGER,
    PrintFormat           VARCHAR(40) COLLATE NOCASE,
    CanGenerateOB         INTEGER,
    GenerateRate          INTEGER,
    Group_IDA2            VARCHAR(40) COLLATE NOCASE,
    CreatedBy             VARCHAR(40) COLLATE NOCASE,
    CreatedDate           VARCHAR(19),
    ModifiedBy            VARCHAR(40) COLLATE NOCASE,
    ModifiedDate          VARCHAR(19),
    ReplyFlag             INTEGER,
    ReplyMode             INTEGER,
    ReplyAddress          TEXT,
    ReplyFile             VARCHAR(40) COLLATE NOCASE,
    PRINTGROUP            VARCHAR(40) COLLATE NOCASE,
    REPLYGROUP            VARCHAR(40) COLLATE NOCASE,
    REPLYCONTENT          TEXT,
    ForecastUnit          VARCHAR(40) COLLATE NOCASE,
    ForecastLen           INTEGER
);

CREATE TABLE IF NOT EXISTS Two_Node (
    WorkOrderFrame_ID     VARCHAR(40) COLLATE NOCASE NOT NULL,
    WorkOrderNode_ID      VARCHAR(40) COLLATE NOCASE NOT NULL,
    WorkOrderNodeName     TEXT,
    ExpiredPeriod         INTEGER,
    ExpiredPeriodType_ID  VARCHAR(40) COLLATE NOCASE,
    CanSendBack           INTEGER,
    CanSendSelf           INTEGER,
    CanSkip               INTEGER,
    EmailNotify           VARCHAR(40),
    SMSNotify             VARCHAR(40),
    AddinType             INTEGER,
    WEBLink               TEXT,
    Group_IDA             VARCHAR(40) COLLATE NOCASE,
    CanFullScreen         INTEGER,
    HandleBy_ID           VARCHAR(40) COLLATE NOCASE,
    HandleGroup_ID        VARCHAR(40) COLLATE NOCASE,
    ExpiredHandleBy_ID    VARCHAR(40) COLLATE NOCASE,
    ExpiredHandleGroup_ID VARCHAR(40) COLLATE NOCASE,
    NodeTop               INTEGER,
    NodeLeft              INTEGER,
    Priority_ID           VARCHAR(40) COLLATE NOCASE,
    RefuseReply           INTEGER,
    CanClose              INTEGER,
    ContactCust           INTEGER,
    NextBeginTime         INTEGER,
    TickOffFlag           INTEGER,
    ReturnOldStep         VARCHAR(40) COLLATE NOCASE,
    CanModify             INTEGER,
    CanBackToBy           INTEGER,
    ToHandleby            TEXT,
    ReturnGroupFlag       INTEGER,
    ForecastUnit          VARCHAR(40) COLLATE NOCASE,
    ForecastLen           INTEGER,
    PRIMARY KEY (WorkOrderFrame_ID, WorkOrderNode_ID)
);
CREATE INDEX IF NOT EXISTS IX_Two_Node_Frame ON Two_Node (WorkOrderFrame_ID);
CREATE INDEX IF NOT EXISTS IX_Two_Node_Node ON Two_Node (WorkOrderNode_ID);

CREATE TABLE IF NOT EXISTS Two_Link (
    WorkOrderFrame_ID     VARCHAR(40) COLLATE NOCASE NOT NULL,
    WorkOrderLink_ID      VARCHAR(40) COLLATE NOCASE NOT NULL,
    WorkOrderLinkName     TEXT,
    SonNode_ID            VARCHAR(40) COLLATE NOCASE,
    FatherNode_ID         VARCHAR(40) COLLATE NOCASE,
    AlwaysOpen            INTEGER,
    AddinVariant          TEXT,
    CompareType           VARCHAR(40),
    VariantValue          TEXT,
    PRIMARY KEY (WorkOrderFrame_ID, WorkOrderLink_ID)
);
CREATE INDEX IF NOT EXISTS IX_Two_Link_Frame ON Two_Link (WorkOrderFrame_ID);

CREATE TABLE IF NOT EXISTS SYSC_Priority (
    Priority_ID           VARCHAR(40) COLLATE NOCASE NOT NULL PRIMARY KEY,
    PriorityDescription   TEXT
);

CREATE TABLE IF NOT EXISTS Sysc_WoCategory (
    ID                    VARCHAR(40) COLLATE NOCASE NOT NULL PRIMARY KEY,
    Description           TEXT
);

CREATE TABLE IF NOT EXISTS Tab_Group (
    Group_IDA             VARCHAR(40) COLLATE NOCASE NOT NULL PRIMARY KEY,
    GroupName             TEXT
);

CREATE TABLE IF NOT EXISTS objectivetype (
    ObjectiveType_ID      VARCHAR(40) COLLATE NOCASE NOT NULL PRIMARY KEY,
    ObjectiveTypeDescription TEXT
);

CREATE TABLE IF NOT EXISTS C_TimeType (
    TimeIDA               VARCHAR(40) COLLATE NOCASE NOT NULL PRIMARY KEY,
    TimeDesc              TEXT
);

CREATE TABLE IF NOT EXISTS rolegroup (
    rolegroup_id          VARCHAR(40) COLLATE NOCASE NOT NULL PRIMARY KEY,
    RoleGroupDescription  TEXT,
    Status                INTEGER NOT NULL DEFAULT 1
);

CREATE TABLE IF NOT EXISTS Staff (
    Staff_ID              VARCHAR(40) COLLATE NOCASE NOT NULL PRIMARY KEY,
    StaffName             TEXT
);

CREATE TABLE IF NOT EXISTS StaffRoleGroup (
    Staff_ID              VARCHAR(40) COLLATE NOCASE NOT NULL,
    RoleGroup_ID          VARCHAR(40) COLLATE NOCASE NOT NULL,
    PRIMARY KEY (Staff_ID, RoleGroup_ID)
);
CREATE INDEX IF NOT EXISTS IX_StaffRoleGroup_Group ON StaffRoleGroup (RoleGroup_ID);

CREATE TABLE IF NOT EXISTS DocGroup (
    DocGroup_ID           VARCHAR(40) COLLATE NOCASE NOT NULL PRIMARY KEY,
    Description           TEXT
);

CREATE TABLE IF NOT EXISTS DocTemplate (
    DocTemplate_ID        VARCHAR(40) COLLATE NOCASE NOT NULL PRIMARY KEY,
    Description           TEXT,
    DOCGROUP_ID           VARCHAR(40) COLLATE NOCASE,
    DocumentPath          TEXT,
    DocumentPath2         TEXT,
    MailMerge             INTEGER,
    Status                INTEGER NOT NULL DEFAULT 1
);

CREATE TABLE IF NOT EXISTS Korvel_RecordLock (
    AddinName             VARCHAR(40) NOT NULL,
    RecordID              VARCHAR(40) COLLATE NOCASE NOT NULL,
    StaffID               VARCHAR(40) NOT NULL,
    LockedAt              VARCHAR(19) NOT NULL,
    SessionID             VARCHAR(80),
    PRIMARY KEY (AddinName, RecordID)
);

-- The change log of the frames: one row per write of a frame (content, header, creation, copy,
-- deletion, import, lock, unlock), in the write's transaction. Windows read it after the last serial
-- they saw; a save compares the frame's latest content serial with the one it read.
CREATE TABLE IF NOT EXISTS Korvel_FrameChange (
    Serial                INTEGER PRIMARY KEY AUTOINCREMENT,
    FrameID               VARCHAR(40) COLLATE NOCASE NOT NULL,
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
    FrameID               VARCHAR(40) COLLATE NOCASE NOT NULL,
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
    Content               BLOB NOT NULL,
    PRIMARY KEY (FrameID, Version)
);

-- The version of the layout of Korvel's own tables, by table, so that a later layout can migrate.
CREATE TABLE IF NOT EXISTS Korvel_Schema (
    Name                  VARCHAR(40) PRIMARY KEY,
    Version               INTEGER NOT NULL
);
INSERT INTO Korvel_Schema (Name, Version) VALUES ('Korvel_FrameVersion', 1) ON CONFLICT (Name) DO NOTHING;
