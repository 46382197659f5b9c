-- Korvel database, SQLite: the search index of the flow tables' searched texts.
-- One FTS5 table with the trigram tokenizer per flow table, over the table's own rows (external
-- content by rowid), kept by triggers; a search reads only the rows whose texts hold every trigram
-- of the searched text, and confirms each with LIKE as without the index. Run whole (the old index
-- dropped and made again from the rows) when a trigger is missing: on a database made before the
-- index, or after a flow table was dropped and made again, which drops its triggers.
-- Every statement ends with ";" at the end of a line; nothing else does.

DROP TRIGGER IF EXISTS Korvel_FrameText_Insert;
DROP TRIGGER IF EXISTS Korvel_FrameText_Delete;
DROP TRIGGER IF EXISTS Korvel_FrameText_Update;
DROP TABLE IF EXISTS Korvel_FrameText;
CREATE VIRTUAL TABLE Korvel_FrameText USING fts5(WorkOrderFrame_ID, WorkOrderFrameName,
    content='TWO_Frame', tokenize='trigram');
INSERT INTO Korvel_FrameText (Korvel_FrameText) VALUES ('rebuild');
CREATE TRIGGER Korvel_FrameText_Insert AFTER INSERT ON TWO_Frame BEGIN
    INSERT INTO Korvel_FrameText (rowid, WorkOrderFrame_ID, WorkOrderFrameName)
    VALUES (new.rowid, new.WorkOrderFrame_ID, new.WorkOrderFrameName); END;
CREATE TRIGGER Korvel_FrameText_Delete AFTER DELETE ON TWO_Frame BEGIN
    INSERT INTO Korvel_FrameText (Korvel_FrameText, rowid, WorkOrderFrame_ID, WorkOrderFrameName)
    VALUES ('delete', old.rowid, old.WorkOrderFrame_ID, old.WorkOrderFrameName); END;
CREATE TRIGGER Korvel_FrameText_Update AFTER UPDATE OF WorkOrderFrame_ID, WorkOrderFrameName ON TWO_Frame BEGIN
    INSERT INTO Korvel_FrameText (Korvel_FrameText, rowid, WorkOrderFrame_ID, WorkOrderFrameName)
    VALUES ('delete', old.rowid, old.WorkOrderFrame_ID, old.WorkOrderFrameName); INSERT INTO Korvel_FrameText (rowid, WorkOrderFrame_ID, WorkOrderFrameName)
    VALUES (new.rowid, new.WorkOrderFrame_ID, new.WorkOrderFrameName); END;

DROP TRIGGER IF EXISTS Korvel_NodeText_Insert;
DROP TRIGGER IF EXISTS Korvel_NodeText_Delete;
DROP TRIGGER IF EXISTS Korvel_NodeText_Update;
DROP TABLE IF EXISTS Korvel_NodeText;
CREATE VIRTUAL TABLE Korvel_NodeText USING fts5(WorkOrderNode_ID, WorkOrderNodeName, HandleBy_ID, HandleGroup_ID, ExpiredHandleBy_ID, ExpiredHandleGroup_ID, ToHandleby,
    content='Two_Node', tokenize='trigram');
INSERT INTO Korvel_NodeText (Korvel_NodeText) VALUES ('rebuild');
CREATE TRIGGER Korvel_NodeText_Insert AFTER INSERT ON Two_Node BEGIN
    INSERT INTO Korvel_NodeText (rowid, WorkOrderNode_ID, WorkOrderNodeName, HandleBy_ID, HandleGroup_ID, ExpiredHandleBy_ID, ExpiredHandleGroup_ID, ToHandleby)
    VALUES (new.rowid, new.WorkOrderNode_ID, new.WorkOrderNodeName, new.HandleBy_ID, new.HandleGroup_ID, new.ExpiredHandleBy_ID, new.ExpiredHandleGroup_ID, new.ToHandleby); END;
CREATE TRIGGER Korvel_NodeText_Delete AFTER DELETE ON Two_Node BEGIN
    INSERT INTO Korvel_NodeText (Korvel_NodeText, rowid, WorkOrderNode_ID, WorkOrderNodeName, HandleBy_ID, HandleGroup_ID, ExpiredHandleBy_ID, ExpiredHandleGroup_ID, ToHandleby)
    VALUES ('delete', old.rowid, old.WorkOrderNode_ID, old.WorkOrderNodeName, old.HandleBy_ID, old.HandleGroup_ID, old.ExpiredHandleBy_ID, old.ExpiredHandleGroup_ID, old.ToHandleby); END;
CREATE TRIGGER Korvel_NodeText_Update AFTER UPDATE OF WorkOrderNode_ID, WorkOrderNodeName, HandleBy_ID, HandleGroup_ID, ExpiredHandleBy_ID, ExpiredHandleGroup_ID, ToHandleby ON Two_Node BEGIN
    INSERT INTO Korvel_NodeText (Korvel_NodeText, rowid, WorkOrderNode_ID, WorkOrderNodeName, HandleBy_ID, HandleGroup_ID, ExpiredHandleBy_ID, ExpiredHandleGroup_ID, ToHandleby)
    VALUES ('delete', old.rowid, old.WorkOrderNode_ID, old.WorkOrderNodeName, old.HandleBy_ID, old.HandleGroup_ID, old.ExpiredHandleBy_ID, old.ExpiredHandleGroup_ID, old.ToHandleby); INSERT INTO Korvel_NodeText (rowid, WorkOrderNode_ID, WorkOrderNodeName, HandleBy_ID, HandleGroup_ID, ExpiredHandleBy_ID, ExpiredHandleGroup_ID, ToHandleby)
    VALUES (new.rowid, new.WorkOrderNode_ID, new.WorkOrderNodeName, new.HandleBy_ID, new.HandleGroup_ID, new.ExpiredHandleBy_ID, new.ExpiredHandleGroup_ID, new.ToHandleby); END;

DROP TRIGGER IF EXISTS Korvel_LinkText_Insert;
DROP TRIGGER IF EXISTS Korvel_LinkText_Delete;
DROP TRIGGER IF EXISTS Korvel_LinkText_Update;
DROP TABLE IF EXISTS Korvel_LinkText;
CREATE VIRTUAL TABLE Korvel_LinkText USING fts5(WorkOrderLink_ID, WorkOrderLinkName, AddinVariant, CompareType, VariantValue,
    content='Two_Link', tokenize='trigram');
INSERT INTO Korvel_LinkText (Korvel_LinkText) VALUES ('rebuild');
CREATE TRIGGER Korvel_LinkText_Insert AFTER INSERT ON Two_Link BEGIN
    INSERT INTO Korvel_LinkText (rowid, WorkOrderLink_ID, WorkOrderLinkName, AddinVariant, CompareType, VariantValue)
    VALUES (new.rowid, new.WorkOrderLink_ID, new.WorkOrderLinkName, new.AddinVariant, new.CompareType, new.VariantValue); END;
CREATE TRIGGER Korvel_LinkText_Delete AFTER DELETE ON Two_Link BEGIN
    INSERT INTO Korvel_LinkText (Korvel_LinkText, rowid, WorkOrderLink_ID, WorkOrderLinkName, AddinVariant, CompareType, VariantValue)
    VALUES ('delete', old.rowid, old.WorkOrderLink_ID, old.WorkOrderLinkName, old.AddinVariant, old.CompareType, old.VariantValue); END;
CREATE TRIGGER Korvel_LinkText_Update AFTER UPDATE OF WorkOrderLink_ID, WorkOrderLinkName, AddinVariant, CompareType, VariantValue ON Two_Link BEGIN
    INSERT INTO Korvel_LinkText (Korvel_LinkText, rowid, WorkOrderLink_ID, WorkOrderLinkName, AddinVariant, CompareType, VariantValue)
    VALUES ('delete', old.rowid, old.WorkOrderLink_ID, old.WorkOrderLinkName, old.AddinVariant, old.CompareType, old.VariantValue); INSERT INTO Korvel_LinkText (rowid, WorkOrderLink_ID, WorkOrderLinkName, AddinVariant, CompareType, VariantValue)
    VALUES (new.rowid, new.WorkOrderLink_ID, new.WorkOrderLinkName, new.AddinVariant, new.CompareType, new.VariantValue); END;
