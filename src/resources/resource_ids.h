#ifndef ORVEX_RESOURCE_IDS_H
#define ORVEX_RESOURCE_IDS_H
/* Shared by the code and the resource script: plain defines only. */

/* Icon groups */
#define IDI_SETUP 101
#define IDI_UNINSTALL 102

/* SetupCheck.exe: the starter program that heads a package */
#define IDR_PACKAGE_STARTER 301

/* Dialogs */
#define IDD_WIZARD_FRAME 121
#define IDD_LICENCE_PAGE 122
#define IDD_COMPONENTS_PAGE 123
#define IDD_FINISH_PAGE 126
#define IDD_UNINSTALL_PROGRESS 132
#define IDD_HOTSYNC_USER_PAGE 135

/* Strings. Tooltip texts use the id of the control they describe. */
#define IDS_CLOSE_TIP 2
#define IDS_INSTALLATION 501
#define IDS_SETUP_ALLOWS 502
#define IDS_LABEL_INSTALL 503
#define IDS_LABEL_CANCEL 504
#define IDS_LABEL_FINISH 505
#define IDS_UNINSTALLATION 506
#define IDS_LABEL_NEXT 507
#define IDS_LABEL_YES 508
#define IDS_LABEL_NO 509
#define IDS_LABEL_BACK 510
#define IDS_WEB_PAGE_TIP 1011
#define IDS_BUY_NOW_TIP 1012
#define IDS_FINISHED 1014
#define IDS_FINISHED_RESTART 1015
#define IDS_SETUP_INCOMPLETE 1018
#define IDS_NO_SETUP_SCRIPT 1019
#define IDS_BAD_UNINSTALL_ARGUMENTS 1021
#define IDS_CONFIRM_UNINSTALL 1022
#define IDS_RESTART_AFTER_UNINSTALL 1023
#define IDS_LOG_NOT_READ 1024
#define IDS_COPY_FAILED 1028
#define IDS_SERVICE_REGISTER_FAILED 1030
#define IDS_SOURCE_MISSING 1031
#define IDS_DEVICE_FILE_FAILED 1032
#define IDS_LOG_INCOMPLETE 1033
#define IDS_ENTRY_FAILED 1034
#define IDS_EARLIER_NOT_REMOVED 1035
#define IDS_LOG_CHANGED 1036
#define IDS_DEST_RESERVED 1037
#define IDS_ANOTHER_RUN 1038
/* The help box: the usage, a line per switch, what follows the lines */
#define IDS_HELP_USAGE 601
#define IDS_HELP_SILENT 602
#define IDS_HELP_DEST 603
#define IDS_HELP_COMPONENTS 604
#define IDS_HELP_USER 605
#define IDS_HELP_LOG 606
#define IDS_HELP_NORESTART 607
#define IDS_HELP_ALLUSERS 608
#define IDS_HELP_CURRENTUSER 609
#define IDS_HELP_HELP 610
#define IDS_HELP_ALSO_UNINSTALL 611
#define IDS_HELP_EXIT_CODES 612
#define IDS_HELP_CAPTION 613

/* Wizard frame (121) */
#define IDC_BACK 3
#define IDC_LOGO 1006
#define IDC_PAGE_AREA 1009
#define IDC_WEB_PAGE 1011
#define IDC_BUY_NOW 1012

/* Licence page (122) */
#define IDC_LICENCE_TEXT 1003
/* The licence box's width in dialog units: SetupCheck measures licence lines against it. */
#define LICENCE_BOX_WIDTH 299

/* Components page (123) */
#define IDC_DESCRIPTION 1005
#define IDC_COMPONENT_TREE 1007
#define IDC_DEVICE_TOTAL 1008
#define IDC_DESKTOP_TOTAL 1009
#define IDC_DESKTOP_LABEL 1012

/* HotSync user (135) and finish (126) pages */
#define IDC_PAGE_TITLE 1013
#define IDC_FINISH_MESSAGE 1014
#define IDC_RESTART_NOW 1017
#define IDC_RESTART_LATER 1018
#define IDC_OPEN_README 1021
#define IDC_USER_COMBO 1022
#define IDC_HOTSYNC_NOTE 1023

/* Uninstall progress (132) */
#define IDC_UNINSTALL_ICON 1010
#define IDC_UNINSTALL_PROGRESS 1019
#define IDC_STAGE_LABEL 1020

#endif
