-- Korvel demo data: a small call centre, valid on SQLite and PostgreSQL.
-- Lookup tables first, then three work-order frames with their steps and transitions.
-- Node IDs are unique across all frames; positions are in twips, laid out left to right between
-- the Start point (200, 400) and the End point at the right edge of the canvas.
-- Every statement ends with ";" at the end of a line; nothing else does.

INSERT INTO SYSC_Priority (Priority_ID, PriorityDescription) VALUES
    ('P1', 'Urgent'),
    ('P2', 'High'),
    ('P3', 'Normal'),
    ('P4', 'Low');

INSERT INTO Sysc_WoCategory (ID, Description) VALUES
    ('C01', 'Complaint'),
    ('C02', 'Repair request'),
    ('C03', 'Billing enquiry'),
    ('C04', '服务变更 Service change');

INSERT INTO C_TimeType (TimeIDA, TimeDesc) VALUES
    ('M', 'Minute'),
    ('H', 'Hour'),
    ('D', 'Day');

INSERT INTO Tab_Group (Group_IDA, GroupName) VALUES
    ('F01', 'Customer details'),
    ('F02', 'Repair report'),
    ('F03', 'Billing adjustment'),
    ('F04', '投诉登记表 Complaint register');

INSERT INTO objectivetype (ObjectiveType_ID, ObjectiveTypeDescription) VALUES
    ('OB01', 'Satisfaction callback'),
    ('OB02', 'Repair follow-up'),
    ('OB03', 'Retention offer');

INSERT INTO rolegroup (rolegroup_id, RoleGroupDescription, Status) VALUES
    ('G01', 'Front desk', 1),
    ('G02', 'Complaints team', 1),
    ('G03', 'Field service', 1),
    ('G04', 'Billing', 1),
    ('G05', 'Supervisors', 1),
    ('G06', '客服热线 Hotline', 1),
    ('G09', 'Night shift (disbanded)', 0);

INSERT INTO Staff (Staff_ID, StaffName) VALUES
    ('admin', 'Administrator'),
    ('alice', 'Alice Chen'),
    ('bob', 'Bob Novak'),
    ('carol', 'Carol Díaz'),
    ('dave', 'Dave Okafor'),
    ('erin', 'Erin Walsh'),
    ('wangf', '王芳'),
    ('lihua', '李华');

INSERT INTO StaffRoleGroup (Staff_ID, RoleGroup_ID) VALUES
    ('alice', 'G01'),
    ('alice', 'G02'),
    ('bob', 'G02'),
    ('bob', 'G06'),
    ('carol', 'G03'),
    ('dave', 'G03'),
    ('erin', 'G04'),
    ('wangf', 'G06'),
    ('wangf', 'G01'),
    ('lihua', 'G04'),
    ('admin', 'G05'),
    ('carol', 'G05'),
    ('dave', 'G09');

INSERT INTO DocGroup (DocGroup_ID, Description) VALUES
    ('DG1', 'Fax replies'),
    ('DG2', 'E-mail replies'),
    ('DG3', 'Printed forms'),
    ('DG4', 'Archive');

INSERT INTO DocTemplate (DocTemplate_ID, Description, DOCGROUP_ID, DocumentPath, DocumentPath2, MailMerge, Status) VALUES
    ('T001', 'Complaint acknowledgement (fax)', 'DG1', 'templates/fax/complaint-ack.docx', '', 1, 1),
    ('T002', 'Repair appointment (fax)', 'DG1', 'templates/fax/repair-appointment.docx', '', 1, 1),
    ('T003', 'Complaint resolved (e-mail)', 'DG2', 'templates/mail/complaint-resolved.html', 'templates/mail/complaint-resolved.txt', 1, 1),
    ('T004', 'Credit note issued (e-mail)', 'DG2', 'templates/mail/credit-note.html', 'templates/mail/credit-note.txt', 1, 1),
    ('T005', 'Work order sheet', 'DG3', 'templates/print/work-order.docx', '', 0, 1),
    ('T006', '维修单 Repair sheet', 'DG3', 'templates/print/repair-sheet.docx', '', 0, 1),
    ('T007', 'Old complaint letter (withdrawn)', 'DG2', 'templates/mail/old-complaint.html', '', 1, 0),
    ('T008', 'Archived fax cover', 'DG4', 'templates/archive/fax-cover.docx', '', 0, 0);

INSERT INTO TWO_Frame (WorkOrderFrame_ID, WorkOrderFrameName, Category, Priority_ID, ExpiredPeriod, ExpiredPeriodType_ID,
        CanSkip, AddinType, WEBLink, Group_IDA, CanFullScreen, PrintFormat, CanGenerateOB, GenerateRate, Group_IDA2,
        CreatedBy, CreatedDate, ModifiedBy, ModifiedDate, ReplyFlag, ReplyMode, ReplyAddress, ReplyFile,
        PRINTGROUP, REPLYGROUP, REPLYCONTENT, ForecastUnit, ForecastLen) VALUES
    ('CMP01', 'Customer complaint', 'C01', 'P2', 3, 'D', 0, 2, '', 'F04', 0, 'T005', 1, 100, 'OB01',
        'admin', '2024-03-04 09:15:00', 'admin', '2024-03-11 16:40:00', 1, 1, 'complaints@example.com', 'T003',
        'DG3', 'DG2', '', 'D', 1),
    ('REP01', 'Home repair visit', 'C02', 'P3', 5, 'D', 1, 2, '', 'F02', 1, 'T006', 1, 50, 'OB02',
        'admin', '2024-03-05 10:02:00', 'alice', '2024-03-12 08:55:00', 1, 0, '+44 20 7946 0958', 'T002',
        'DG3', 'DG1', '', 'H', 12),
    ('BIL01', '账单争议 Billing dispute', 'C03', 'P3', 48, 'H', 0, 1, 'https://crm.example.com/billing/dispute', '', 0, '', 0, 0, '',
        'alice', '2024-03-06 14:30:00', 'alice', '2024-03-06 14:30:00', 1, 2, '+44 7700 900123', '',
        '', '', 'Your billing enquiry has been resolved. Thank you for your patience.', 'H', 8);

-- Customer complaint: register, investigate (several named handlers), an optional supervisor
-- review for large compensation, then the reply, which goes back to whoever registered it.
INSERT INTO Two_Node (WorkOrderFrame_ID, WorkOrderNode_ID, WorkOrderNodeName, ExpiredPeriod, ExpiredPeriodType_ID,
        CanSendBack, CanSendSelf, CanSkip, EmailNotify, SMSNotify, AddinType, WEBLink, Group_IDA, CanFullScreen,
        HandleBy_ID, HandleGroup_ID, ExpiredHandleBy_ID, ExpiredHandleGroup_ID, NodeTop, NodeLeft, Priority_ID,
        RefuseReply, CanClose, ContactCust, NextBeginTime, TickOffFlag, ReturnOldStep, CanModify, CanBackToBy,
        ToHandleby, ReturnGroupFlag, ForecastUnit, ForecastLen) VALUES
    ('CMP01', 'N00001', 'Register complaint', 2, 'H', 0, 111, 0, '0', '0', 1, '', 'F04', 0,
        '', 'G01', 'admin', 'G05', 300, 1000, 'P2', 1, 0, 1, 0, 1, '', 1, 0,
        '', 0, 'H', 1),
    ('CMP01', 'N00002', 'Investigate', 1, 'D', 1, 110, 0, '1', '0', 0, '', '', 0,
        '', '', 'admin', 'G05', 300, 3200, 'P2', 1, 0, 0, 2, 0, '', 2, 1,
        'G02,alice|G02,bob|G05,carol', 0, 'H', 4),
    ('CMP01', 'N00003', 'Supervisor review', 4, 'H', 1, 100, 0, '1', '1', 0, '', '', 0,
        'carol', 'G05', '', '', 1700, 5200, 'P1', 1, 0, 0, 0, 0, '', 1, 0,
        '', 0, 'H', 1),
    ('CMP01', 'N00004', 'Reply to customer', 1, 'D', 0, 10, 0, '1', '0', 0, '', '', 0,
        '', '', 'admin', 'G05', 300, 7400, 'P2', 0, 1, 1, 0, 0, 'N00001', 0, 0,
        '', 1, 'H', 2);

-- Home repair: book the visit, the engineer's visit, the quality call; a customer who is not
-- satisfied gets a new appointment.
INSERT INTO Two_Node (WorkOrderFrame_ID, WorkOrderNode_ID, WorkOrderNodeName, ExpiredPeriod, ExpiredPeriodType_ID,
        CanSendBack, CanSendSelf, CanSkip, EmailNotify, SMSNotify, AddinType, WEBLink, Group_IDA, CanFullScreen,
        HandleBy_ID, HandleGroup_ID, ExpiredHandleBy_ID, ExpiredHandleGroup_ID, NodeTop, NodeLeft, Priority_ID,
        RefuseReply, CanClose, ContactCust, NextBeginTime, TickOffFlag, ReturnOldStep, CanModify, CanBackToBy,
        ToHandleby, ReturnGroupFlag, ForecastUnit, ForecastLen) VALUES
    ('REP01', 'N00005', 'Book appointment', 4, 'H', 0, 11, 0, '0', '1', 1, '', 'F01', 0,
        'wangf', 'G01', '', 'G05', 300, 1000, 'P3', 0, 0, 1, 24, 1, '', 1, 0,
        '', 0, 'H', 2),
    ('REP01', 'N00006', '上门维修 Engineer visit', 2, 'D', 1, 100, 1, '1', '1', 1, '', 'F02', 1,
        '', 'G03', 'carol', 'G05', 1200, 3600, 'P3', 1, 0, 1, 0, 2, '', 2, 1,
        '', 0, 'D', 1),
    ('REP01', 'N00007', 'Quality call', 30, 'M', 1, 0, 0, '0', '0', 2, 'https://crm.example.com/survey/repair', '', 0,
        'bob', 'G06', '', '', 300, 6400, 'P4', 0, 1, 1, 0, 0, '', 0, 0,
        '', 0, 'M', 10);

-- Billing dispute: check the invoice, then approve a credit when one is due.
INSERT INTO Two_Node (WorkOrderFrame_ID, WorkOrderNode_ID, WorkOrderNodeName, ExpiredPeriod, ExpiredPeriodType_ID,
        CanSendBack, CanSendSelf, CanSkip, EmailNotify, SMSNotify, AddinType, WEBLink, Group_IDA, CanFullScreen,
        HandleBy_ID, HandleGroup_ID, ExpiredHandleBy_ID, ExpiredHandleGroup_ID, NodeTop, NodeLeft, Priority_ID,
        RefuseReply, CanClose, ContactCust, NextBeginTime, TickOffFlag, ReturnOldStep, CanModify, CanBackToBy,
        ToHandleby, ReturnGroupFlag, ForecastUnit, ForecastLen) VALUES
    ('BIL01', 'N00008', '核对账单 Check invoice', 8, 'H', 0, 1, 0, '1', '0', 1, '', 'F03', 0,
        'erin', 'G04', 'admin', 'G05', 300, 1000, 'P3', 0, 1, 1, 0, 1, '', 1, 0,
        '', 0, 'H', 2),
    ('BIL01', 'N00009', 'Approve credit', 1, 'D', 1, 0, 0, '1', '1', 0, '', '', 0,
        'lihua', 'G04', 'admin', 'G05', 1500, 4200, 'P2', 0, 1, 1, 0, 0, '', 1, 1,
        '', 0, 'H', 4);

INSERT INTO Two_Link (WorkOrderFrame_ID, WorkOrderLink_ID, WorkOrderLinkName, SonNode_ID, FatherNode_ID,
        AlwaysOpen, AddinVariant, CompareType, VariantValue) VALUES
    ('CMP01', 'L1', 'New complaint', 'N00001', 'BEGIN', 0, '', '', ''),
    ('CMP01', 'L2', 'Registered', 'N00002', 'N00001', 0, '', '', ''),
    ('CMP01', 'L3', 'Compensation over 500', 'N00003', 'N00002', 1, 'Compensation', '>', '500'),
    ('CMP01', 'L4', 'Compensation up to 500', 'N00004', 'N00002', 1, 'Compensation', '<=', '500'),
    ('CMP01', 'L5', 'Approved', 'N00004', 'N00003', 0, '', '', ''),
    ('CMP01', 'L6', 'Customer informed', 'END', 'N00004', 0, '', '', ''),
    ('REP01', 'R1', 'Repair requested', 'N00005', 'BEGIN', 0, '', '', ''),
    ('REP01', 'R2', 'Visit booked', 'N00006', 'N00005', 0, '', '', ''),
    ('REP01', 'R3', 'Job done', 'N00007', 'N00006', 0, '', '', ''),
    ('REP01', 'R4', '不满意 Not satisfied', 'N00005', 'N00007', 1, 'Satisfied', '=', '0'),
    ('REP01', 'R5', 'Closed', 'END', 'N00007', 1, 'Satisfied', '=', '1'),
    ('BIL01', 'B1', 'Dispute raised', 'N00008', 'BEGIN', 0, '', '', ''),
    ('BIL01', 'B2', 'Credit due', 'N00009', 'N00008', 1, 'CreditAmount', '>', '0'),
    ('BIL01', 'B3', 'No credit due', 'END', 'N00008', 1, 'CreditAmount', '=', '0'),
    ('BIL01', 'B4', 'Credit issued', 'END', 'N00009', 0, '', '', '');
