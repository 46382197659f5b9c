-- The change drawn in compare.png, made straight in the demo database's tables so that every step
-- keeps its ID (an import gives the steps fresh IDs, and a comparison by ID would then show every
-- step removed and added again): "Supervisor review" goes with its two links, "Legal review" comes
-- with two links of its own, "Reply to customer" moves down, and one link's condition changes.
CREATE TEMP TABLE step AS SELECT * FROM Two_Node WHERE WorkOrderFrame_ID = 'CMP01' AND WorkOrderNode_ID = 'N00003';
UPDATE step SET WorkOrderNode_ID = 'N00090', WorkOrderNodeName = 'Legal review', HandleBy_ID = 'dave',
    NodeTop = 2900, NodeLeft = 3200;
INSERT INTO Two_Node SELECT * FROM step;
DELETE FROM Two_Node WHERE WorkOrderFrame_ID = 'CMP01' AND WorkOrderNode_ID = 'N00003';
UPDATE Two_Node SET NodeTop = 1500 WHERE WorkOrderFrame_ID = 'CMP01' AND WorkOrderNode_ID = 'N00004';
CREATE TEMP TABLE link AS SELECT * FROM Two_Link WHERE WorkOrderFrame_ID = 'CMP01' AND WorkOrderLink_ID IN ('L3', 'L5');
UPDATE link SET WorkOrderLink_ID = 'L7', WorkOrderLinkName = 'Over 5000', SonNode_ID = 'N00090', VariantValue = '5000'
    WHERE WorkOrderLink_ID = 'L3';
UPDATE link SET WorkOrderLink_ID = 'L8', WorkOrderLinkName = 'Settled', FatherNode_ID = 'N00090'
    WHERE WorkOrderLink_ID = 'L5';
INSERT INTO Two_Link SELECT * FROM link;
DELETE FROM Two_Link WHERE WorkOrderFrame_ID = 'CMP01' AND WorkOrderLink_ID IN ('L3', 'L5');
UPDATE Two_Link SET VariantValue = '1000' WHERE WorkOrderFrame_ID = 'CMP01' AND WorkOrderLink_ID = 'L4';
