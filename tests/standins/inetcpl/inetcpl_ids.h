// Resource and control identifiers of the stand-in Internet Options module.
#pragma once

#define IDD_DELETE_HISTORY 100
#define IDC_FAVORITES 1001
#define IDC_CACHE 1002
#define IDC_COOKIES 1003
#define IDC_HISTORY 1004
#define IDC_FORMS 1005
#define IDC_PASSWORDS 1006
#define IDC_FILTERING 1007
#define IDC_PROGRESS 1010
#define IDC_DELETE 5543
#define IDC_DELETE_UNNUMBERED 5544
