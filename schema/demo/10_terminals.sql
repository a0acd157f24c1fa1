-- Demo terminal groups: group 1 serves production areas FB01 to FB01 and
-- FB10 to FB19, group 2 serves FB02 to FB03. Area FB99 is served by none.
INSERT INTO Kvs557Cfg (CfgDta, CfgIP, CfgPrt, CfgBez, CfgVn1, CfgBi1, CfgVn2, CfgBi2, CfgSta,
                       CfgErf)
VALUES (1, '192.168.10.21', '4711', 'Halle 1', 'FB01', 'FB01', 'FB10', 'FB19', 0, 'demo'),
       (2, '192.168.20.7', '502', 'Halle 2', 'FB02', 'FB03', NULL, NULL, 0, 'demo');
