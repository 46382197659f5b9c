-- Korvel database, PostgreSQL: the search index of the flow tables' searched texts, where the
-- pg_trgm extension can be had. One GIN trigram index per flow table over its searched columns,
-- each under the default collation, as the search compares them (ILIKE is refused under the
-- nondeterministic korvel_ci); the server then reads only rows that can match. Without the
-- extension the search reads every row, as before.
-- Every statement ends with ";" at the end of a line; nothing else does.

SET LOCAL client_min_messages = warning;
CREATE EXTENSION IF NOT EXISTS pg_trgm;
CREATE INDEX IF NOT EXISTS Korvel_FrameText ON TWO_Frame USING gin (
    WorkOrderFrame_ID COLLATE "default" gin_trgm_ops,
    WorkOrderFrameName COLLATE "default" gin_trgm_ops);
CREATE INDEX IF NOT EXISTS Korvel_NodeText ON Two_Node USING gin (
    WorkOrderNode_ID COLLATE "default" gin_trgm_ops,
    WorkOrderNodeName COLLATE "default" gin_trgm_ops,
    HandleBy_ID COLLATE "default" gin_trgm_ops,
    HandleGroup_ID COLLATE "default" gin_trgm_ops,
    ExpiredHandleBy_ID COLLATE "default" gin_trgm_ops,
    ExpiredHandleGroup_ID COLLATE "default" gin_trgm_ops,
    ToHandleby COLLATE "default" gin_trgm_ops);
CREATE INDEX IF NOT EXISTS Korvel_LinkText ON Two_Link USING gin (
    WorkOrderLink_ID COLLATE "default" gin_trgm_ops,
    WorkOrderLinkName COLLATE "default" gin_trgm_ops,
    AddinVariant COLLATE "default" gin_trgm_ops,
    CompareType COLLATE "default" gin_trgm_ops,
    VariantValue COLLATE "default" gin_trgm_ops);
