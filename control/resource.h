// Resource identifiers of the control module.
#pragma once

#define IDS_VORN_305Q 1
#define IDS_VORN_305Q_PPG 2
#define IDB_VORN_305Q 1
#define IDS_VORN_305Q_PPG_CAPTION 200
#define IDD_PROPPAGE_VORN_305Q 200
#define IDD_VORN_DIALOG 201
#define IDC_STATIC (-1)
