/* Every text a person reads in the installer, by the id a language file names it with. The
   first part defines the ids the string table does not; included again with one or more of the
   list macros defined, the file yields the list rows of that kind:
     STRING_TEXT(id, english)               a string table entry (setup.rc)
     DIALOG_TEXT(dialog, control, id, english)   a control's text in a dialog template
     CODE_TEXT(id, english)                 a text the program writes itself
     PALM_TEXT(id, english)                 a Palm failure text
   Ids 1, 2, 1011 and 1012 name tool tips by their control's id: no other text may take them. */
#ifndef ORVEX_TEXT_IDS_H
#define ORVEX_TEXT_IDS_H
#include "resources/resource_ids.h"

/* The help box's exit code meanings */
#define IDT_EXIT_COMPLETE 620
#define IDT_EXIT_RESTART_NEEDED 621
#define IDT_EXIT_FAILED 622
#define IDT_EXIT_WRONG_COMMAND 623

/* Dialog controls' texts */
#define IDT_WEB_PAGE 1101
#define IDT_BUY_NOW 1102
#define IDT_FRAME_FOOTER 1103
#define IDT_LICENCE_PAGE_DOWN 1104
#define IDT_LICENCE_QUESTION 1105
#define IDT_COMPONENTS_INTRO 1106
#define IDT_DEVICE_SPACE 1107
#define IDT_DESCRIPTION 1108
#define IDT_DESKTOP_SPACE 1109
#define IDT_FINISH_TITLE 1110
#define IDT_RESTART_NOW 1111
#define IDT_RESTART_LATER 1112
#define IDT_HOTSYNC_NOTE 1113
#define IDT_HOTSYNC_TITLE 1114
#define IDT_HOTSYNC_TIP 1115
#define IDT_HOTSYNC_TIP_TEXT 1116
#define IDT_UNINSTALLING 1117

/* Texts the program writes itself */
#define IDT_SIZE_K 1120
#define IDT_ALL_USERS 1121
#define IDT_STAGE_SERVICES 1122
#define IDT_STAGE_FILES 1123
#define IDT_STAGE_FOLDERS 1124
#define IDT_STAGE_FINISHING 1125

/* Palm failure texts: a library's status s has the text id base - s (UserData -500 is 2500,
   CondMgr -1000 is 3000, the loader's -1201 is 3201, InstAide -500 is 4500). */
#define IDT_PALM_USERDATA 2000
#define IDT_PALM_CONDMGR 2000
#define IDT_PALM_LOADER 2000
#define IDT_PALM_INSTAIDE 4000
#define IDT_PALM_UNKNOWN_USERDATA 2000
#define IDT_PALM_UNKNOWN_CONDMGR 2001
#define IDT_PALM_UNKNOWN_INSTAIDE 2002
#define IDT_PALM_UNKNOWN 2003
#define IDT_PALM_HINT 2004
#define IDT_PALM_SET_USER_FAILED 2005
#define IDT_PALM_EXCEPTION 2006
#endif

#ifdef STRING_TEXT
STRING_TEXT(IDS_CLOSE_TIP, "Close installation process")
STRING_TEXT(IDS_INSTALLATION, "Installation")
STRING_TEXT(IDS_SETUP_ALLOWS, "This setup allows you to install %s.")
STRING_TEXT(IDS_LABEL_INSTALL, "&Install")
STRING_TEXT(IDS_LABEL_CANCEL, "&Cancel")
STRING_TEXT(IDS_LABEL_FINISH, "&Finish")
STRING_TEXT(IDS_UNINSTALLATION, "Uninstallation")
STRING_TEXT(IDS_LABEL_NEXT, "&Next >")
STRING_TEXT(IDS_LABEL_YES, "&Yes")
STRING_TEXT(IDS_LABEL_NO, "&No")
STRING_TEXT(IDS_LABEL_BACK, "< &Back")
STRING_TEXT(IDS_HELP_USAGE, "Setup.exe [switches]\nSetup.exe [switches] -uninst<install log>\n")
STRING_TEXT(IDS_HELP_SILENT, "/S\tSilent: no window, no question, never a restart.")
STRING_TEXT(IDS_HELP_DEST, "/D=<folder>\tInstalls into this folder.")
STRING_TEXT(IDS_HELP_COMPONENTS, "/COMPONENTS=<Section;...>\tInstalls exactly these components.")
STRING_TEXT(IDS_HELP_USER, "/USER=<name>\tThe HotSync user who receives the Palm files.")
STRING_TEXT(IDS_HELP_LOG, "/LOG=<full path>\tAppends a record of the run to the file.")
STRING_TEXT(IDS_HELP_NORESTART, "/NORESTART\tNever restarts the computer.")
STRING_TEXT(IDS_HELP_ALLUSERS, "/ALLUSERS\tStart-menu and desktop shortcuts for every user.")
STRING_TEXT(IDS_HELP_CURRENTUSER, "/CURRENTUSER\tStart-menu and desktop shortcuts for the current "
                                  "user: the default, except under LocalSystem or after an "
                                  "install for every user.")
STRING_TEXT(IDS_HELP_HELP, "/? or /HELP\tShows this list.")
STRING_TEXT(IDS_HELP_ALSO_UNINSTALL, " Also with -uninst.")
STRING_TEXT(IDS_HELP_EXIT_CODES, "\n\nExit codes:")
STRING_TEXT(IDS_HELP_CAPTION, "Orvex Install Wizard")
STRING_TEXT(IDS_HELP_LANG,
            "/LANG=<tag>\tShows the texts of Setup.<tag>.lng; /LANG=en shows English.")
STRING_TEXT(IDS_WEB_PAGE_TIP, "View product web page")
STRING_TEXT(IDS_BUY_NOW_TIP, "Buy product now")
STRING_TEXT(
    IDS_FINISHED,
    "The Orvex Install Wizard has successfully installed %s.\nClick Finish to exit the Wizard.")
STRING_TEXT(IDS_FINISHED_RESTART, "The Orvex Install Wizard has successfully installed %s. Before "
                                  "you can use desktop add-ins, you must restart your computer.")
STRING_TEXT(IDS_SETUP_INCOMPLETE,
            "Setup is incomplete. Some components you requested to add were not installed.\nYou "
            "may run the setup program later to complete the operations.")
STRING_TEXT(IDS_NO_SETUP_SCRIPT, "Cannot find setup script file \"Setup.ini\".")
STRING_TEXT(IDS_BAD_UNINSTALL_ARGUMENTS,
            "Invalid uninstallation arguments or missing \"_install.log\" file.")
STRING_TEXT(IDS_CONFIRM_UNINSTALL,
            "Do you really want to uninstall \"%s\"?\nPress 'Yes' to start uninstallation.")
STRING_TEXT(IDS_RESTART_AFTER_UNINSTALL,
            "Uninstallation complete. Some services are still working. Please restart computer to "
            "stop all running services.\nPress 'Yes', to restart your computer now.")
STRING_TEXT(IDS_LOG_NOT_READ, "The uninstallation log is too large to be read on this computer. "
                              "Nothing has been removed.\nClose other programs and try again.")
STRING_TEXT(IDS_COPY_FAILED, "ERROR: Can't install file \"%s\".")
STRING_TEXT(IDS_SERVICE_REGISTER_FAILED, "ERROR: Can't install service file \"%s\".")
STRING_TEXT(IDS_SOURCE_MISSING, "ERROR: Can't find file \"%s\".")
STRING_TEXT(IDS_DEVICE_FILE_FAILED, "ERROR: Can't install file \"%s\" to device.")
STRING_TEXT(IDS_LOG_INCOMPLETE,
            "ERROR: Can't write the install log \"%s\". The installation was stopped there, so "
            "that everything installed so far can be removed.")
STRING_TEXT(IDS_ENTRY_FAILED, "ERROR: Can't add \"%s\" to the list of installed programs, so it "
                              "could not be removed later. The installation was stopped.")
STRING_TEXT(IDS_EARLIER_NOT_REMOVED,
            "ERROR: Can't remove the earlier installation in \"%s\", so nothing was installed. "
            "Close the programs that use its files and try again.")
STRING_TEXT(IDS_LOG_CHANGED, "The uninstallation log \"%s\" was changed after the installation "
                             "wrote it, so nothing was removed.")
STRING_TEXT(IDS_DESTINATION_REFUSED,
            "ERROR: Can't install into \"%s\": give the product a folder of its own.")
STRING_TEXT(
    IDS_ANOTHER_RUN,
    "Another installation or removal is running. Wait until it has finished, then try again.")
STRING_TEXT(IDS_FILE_IN_USE_BY, "The file \"%s\" is in use by %s.\nClose it, then click Retry. "
                                "Cancel stops the installation before anything is changed.")
STRING_TEXT(IDS_FILE_IN_USE,
            "The file \"%s\" is in use.\nClose the program that uses it, then click Retry. Cancel "
            "stops the installation before anything is changed.")
STRING_TEXT(IDS_AND_OTHERS, "and others")
#endif

#ifdef DIALOG_TEXT
DIALOG_TEXT(IDD_WIZARD_FRAME, IDC_WEB_PAGE, IDT_WEB_PAGE, "Web Page...")
DIALOG_TEXT(IDD_WIZARD_FRAME, IDC_BUY_NOW, IDT_BUY_NOW, "Buy Now...")
DIALOG_TEXT(IDD_WIZARD_FRAME, IDC_FRAME_FOOTER, IDT_FRAME_FOOTER, "Orvex Install Wizard")
DIALOG_TEXT(IDD_LICENCE_PAGE, IDC_LICENCE_PAGE_DOWN, IDT_LICENCE_PAGE_DOWN,
            "Press the PAGE DOWN key to see the rest of the agreement.")
DIALOG_TEXT(IDD_LICENCE_PAGE, IDC_LICENCE_QUESTION, IDT_LICENCE_QUESTION,
            "Do you accept all the terms of the preceding Licence Agreement? If you choose No, the "
            "setup will close. To install this application, you must accept this agreement.")
DIALOG_TEXT(IDD_COMPONENTS_PAGE, IDC_COMPONENTS_INTRO, IDT_COMPONENTS_INTRO,
            "Select the component you want to install, and clear the components you do not want to "
            "install.")
DIALOG_TEXT(IDD_COMPONENTS_PAGE, IDC_DEVICE_LABEL, IDT_DEVICE_SPACE, "Space Required on Device:")
DIALOG_TEXT(IDD_COMPONENTS_PAGE, IDC_DESCRIPTION_BOX, IDT_DESCRIPTION, "Description")
DIALOG_TEXT(IDD_COMPONENTS_PAGE, IDC_DESKTOP_LABEL, IDT_DESKTOP_SPACE,
            "Space Required on Desktop PC:")
DIALOG_TEXT(IDD_FINISH_PAGE, IDC_PAGE_TITLE, IDT_FINISH_TITLE, "Orvex Install Wizard Complete")
DIALOG_TEXT(IDD_FINISH_PAGE, IDC_RESTART_NOW, IDT_RESTART_NOW,
            "Yes, I want to restart my computer now.")
DIALOG_TEXT(IDD_FINISH_PAGE, IDC_RESTART_LATER, IDT_RESTART_LATER,
            "No, I will restart my computer later.")
DIALOG_TEXT(IDD_FINISH_PAGE, IDC_HOTSYNC_NOTE, IDT_HOTSYNC_NOTE,
            ">>> You must now perform a HotSync <<<\nto complete the installation process.")
DIALOG_TEXT(IDD_HOTSYNC_USER_PAGE, IDC_PAGE_TITLE, IDT_HOTSYNC_TITLE,
            "Select the HotSync user you would like to install to:")
DIALOG_TEXT(IDD_HOTSYNC_USER_PAGE, IDC_TIP_BOX, IDT_HOTSYNC_TIP, "Tip")
DIALOG_TEXT(IDD_HOTSYNC_USER_PAGE, IDC_TIP_TEXT, IDT_HOTSYNC_TIP_TEXT,
            "NOTE: When the installer is finished, you must perform a HotSync to complete the "
            "installation process.")
DIALOG_TEXT(IDD_UNINSTALL_PROGRESS, IDC_STAGE_LABEL, IDT_UNINSTALLING, "Uninstalling...")
#endif

#ifdef CODE_TEXT
CODE_TEXT(IDT_EXIT_COMPLETE, "done")
CODE_TEXT(IDT_EXIT_RESTART_NEEDED, "done, a restart is needed")
CODE_TEXT(IDT_EXIT_FAILED, "failed or incomplete")
CODE_TEXT(IDT_EXIT_WRONG_COMMAND, "wrong command line, nothing done")
CODE_TEXT(IDT_SIZE_K, "%d K")
CODE_TEXT(IDT_ALL_USERS, "All Users")
CODE_TEXT(IDT_STAGE_SERVICES, "Unregisterring services...")
CODE_TEXT(IDT_STAGE_FILES, "Deleting Files...")
CODE_TEXT(IDT_STAGE_FOLDERS, "Deleting Folder...")
CODE_TEXT(IDT_STAGE_FINISHING, "Finishing...")
#endif

#ifdef PALM_TEXT
PALM_TEXT(IDT_PALM_UNKNOWN_USERDATA, "Unknown Palm UserData error: %ld")
PALM_TEXT(IDT_PALM_UNKNOWN_CONDMGR, "Unknown Palm CondMgr error: %ld")
PALM_TEXT(IDT_PALM_UNKNOWN_INSTAIDE, "Unknown Palm InstAide error: %ld")
PALM_TEXT(IDT_PALM_UNKNOWN, "Unknown Palm error: 0x%lX")
PALM_TEXT(IDT_PALM_HINT, "    %s\n(Make sure Palm HotSync is installed and functioning.\n Without "
                         "HotSync no Palm application can be installed.")
PALM_TEXT(IDT_PALM_SET_USER_FAILED, "Failed to set user '%s':\n%s")
PALM_TEXT(IDT_PALM_EXCEPTION, "Unknown exception in the PalmInstallPlugin")
PALM_TEXT(IDT_PALM_USERDATA + 500,
          "No users data store was found. Try to define new Palm Desktop user.")
PALM_TEXT(IDT_PALM_USERDATA + 501, "The users data store exists, but is empty.")
PALM_TEXT(IDT_PALM_USERDATA + 503, "The user index is out of range.")
PALM_TEXT(IDT_PALM_USERDATA + 504, "The supplied buffer is too small.")
PALM_TEXT(IDT_PALM_USERDATA + 505, "The user ID supplied is NULL or not for an available user.")
PALM_TEXT(IDT_PALM_USERDATA + 506, "A User Data function tried to write an invalid config entry.")
PALM_TEXT(IDT_PALM_USERDATA + 509, "The specified user name is invalid.")
PALM_TEXT(IDT_PALM_USERDATA + 510, "The specified user directory is invalid.")
PALM_TEXT(IDT_PALM_USERDATA + 511, "The user directory does not exist.")
PALM_TEXT(IDT_PALM_USERDATA + 512, "The user does not exist.")
PALM_TEXT(IDT_PALM_USERDATA + 513,
          "The user name parameter is not already contained in the users data store.")
PALM_TEXT(IDT_PALM_USERDATA + 514,
          "The file passed to the User Data function is not a valid file type.")
PALM_TEXT(IDT_PALM_USERDATA + 515, "The User Data function cannot access the user data.")
PALM_TEXT(IDT_PALM_USERDATA + 516, "Saving changes was not successfully completed.")
PALM_TEXT(IDT_PALM_USERDATA + 518,
          "A miscellaneous error occurred while trying to access the users data store.")
PALM_TEXT(IDT_PALM_USERDATA + 519, "The specified user index is invalid.")
PALM_TEXT(IDT_PALM_USERDATA + 520, "Creating a new file failed.")
PALM_TEXT(IDT_PALM_USERDATA + 521, "A value for the Core\\Path config entry does not exist.")
PALM_TEXT(IDT_PALM_USERDATA + 522, "The specified pointer is invalid.")
PALM_TEXT(IDT_PALM_USERDATA + 523, "The specified user already exists.")
PALM_TEXT(IDT_PALM_USERDATA + 524, "The specified user directory already used.")
PALM_TEXT(IDT_PALM_USERDATA + 525, "The attempt to write to the users data store failed.")
PALM_TEXT(IDT_PALM_USERDATA + 526, "The path is more than 256 characters long.")
PALM_TEXT(IDT_PALM_USERDATA + 527, "The string to retrieve is too large to store.")
PALM_TEXT(IDT_PALM_USERDATA + 528, "This function is no longer supported.")
PALM_TEXT(IDT_PALM_USERDATA + 529, "The requested handheld information is not available. Try to "
                                   "HotSync specified user or select another one.")
PALM_TEXT(IDT_PALM_CONDMGR + 1000, "An otherwise nonspecific Conduit Manager error occurred.")
PALM_TEXT(IDT_PALM_CONDMGR + 1001, "Index out of range.")
PALM_TEXT(IDT_PALM_CONDMGR + 1002,
          "The configuration entries for the specified conduit could not be deleted.")
PALM_TEXT(IDT_PALM_CONDMGR + 1003, "The specified conduit does not exist.")
PALM_TEXT(IDT_PALM_CONDMGR + 1004, "Not enough memory to perform the requested operation.")
PALM_TEXT(IDT_PALM_CONDMGR + 1005, "Creator ID is already in use.")
PALM_TEXT(IDT_PALM_CONDMGR + 1006, "Unable to access the conduit configuration entries.")
PALM_TEXT(IDT_PALM_CONDMGR + 1007, "The conduit could not be registered with HotSync Manager.")
PALM_TEXT(IDT_PALM_CONDMGR + 1008, "Specified conduit configuration entry could not be set.")
PALM_TEXT(IDT_PALM_CONDMGR + 1009, "Invalid structure handle.")
PALM_TEXT(IDT_PALM_CONDMGR + 1010, "The buffer is too small to hold the requested information.")
PALM_TEXT(IDT_PALM_CONDMGR + 1011,
          "Specified value could not be found in the configuration for this conduit.")
PALM_TEXT(IDT_PALM_CONDMGR + 1012, "Invalid conduit creator ID.")
PALM_TEXT(IDT_PALM_CONDMGR + 1013, "Invalid pointer.")
PALM_TEXT(IDT_PALM_CONDMGR + 1014, "Unable to install conduit.")
PALM_TEXT(IDT_PALM_CONDMGR + 1015, "Invalid conduit type.")
PALM_TEXT(IDT_PALM_CONDMGR + 1016, "Invalid communications port type.")
PALM_TEXT(IDT_PALM_CONDMGR + 1017,
          "The value or feature that you specified is no longer supported.")
PALM_TEXT(IDT_PALM_CONDMGR + 1018, "Invalid path.")
PALM_TEXT(IDT_PALM_CONDMGR + 1019, "The specified conduit or notifier is already installed.")
PALM_TEXT(IDT_PALM_CONDMGR + 1020, "Unable to access the conduit configuration entries.")
PALM_TEXT(IDT_PALM_CONDMGR + 1021, "The specified notifier is not registered.")
PALM_TEXT(IDT_PALM_CONDMGR + 1022, "Specified unique ID for an install conduit is already in use.")
PALM_TEXT(IDT_PALM_CONDMGR + 1023, "Invalid unique ID for an install conduit.")
PALM_TEXT(IDT_PALM_INSTAIDE + 500, "The users data file does not contain any user information.")
PALM_TEXT(IDT_PALM_INSTAIDE + 501,
          "The value of the index parameter is greater than the number of users.")
PALM_TEXT(IDT_PALM_INSTAIDE + 502,
          "The buffer supplied as a parameter is either too small or invalid.")
PALM_TEXT(IDT_PALM_INSTAIDE + 503, "There is no users data file.")
PALM_TEXT(IDT_PALM_INSTAIDE + 504, "The InstAide could not copy the file.")
PALM_TEXT(IDT_PALM_INSTAIDE + 505, "The user name parameter value is either NULL or invalid.")
PALM_TEXT(IDT_PALM_INSTAIDE + 506,
          "The filename parameter supplied to to an install function is NULL.")
PALM_TEXT(IDT_PALM_INSTAIDE + 507,
          "File index parameter passed is greater than the number of files.")
PALM_TEXT(IDT_PALM_INSTAIDE + 509, "The path type parameter value is not a valid path type value.")
PALM_TEXT(IDT_PALM_INSTAIDE + 510,
          "The requested path is not stored in the configuration. Try reinstall the Palm Desktop.")
PALM_TEXT(IDT_PALM_INSTAIDE + 511, "The path parameter passed to the PltSetPath function is NULL.")
PALM_TEXT(IDT_PALM_INSTAIDE + 512,
          "An attempt was made to install a file that is already queued for installation.")
PALM_TEXT(IDT_PALM_INSTAIDE + 513,
          "A file passed to the install function is not a valid file or was not found.")
PALM_TEXT(IDT_PALM_INSTAIDE + 514,
          "An index parameter exceeds the maximum value allowed for the index.")
PALM_TEXT(IDT_PALM_INSTAIDE + 515,
          "A file parameter is not a valid file type for use with the function.")
PALM_TEXT(IDT_PALM_INSTAIDE + 516, "A buffer parameter is NULL.")
PALM_TEXT(IDT_PALM_INSTAIDE + 517, "An invalid unique ID was passed to this function.")
PALM_TEXT(IDT_PALM_INSTAIDE + 518,
          "Core\\Path configuration entry does not exist - user data cannot be retrieved.")
PALM_TEXT(IDT_PALM_INSTAIDE + 519, "Creating a new users data file failed.")
PALM_TEXT(IDT_PALM_INSTAIDE + 520, "A sharing problem occurred with the users data file.")
PALM_TEXT(IDT_PALM_INSTAIDE + 521,
          "A miscellaneous error occurred while trying to access the users data file.")
PALM_TEXT(IDT_PALM_INSTAIDE + 522, "The user ID passed to PlmGetUserNameFromID is invalid.")
PALM_TEXT(IDT_PALM_INSTAIDE + 523,
          "InstAide failed to remove the specified install file (f.e., the file does not exist.)")
PALM_TEXT(IDT_PALM_INSTAIDE + 524, "InstAide failed to move the specified install file.")
PALM_TEXT(IDT_PALM_INSTAIDE + 551, "No directory was found for the specified user.")
PALM_TEXT(IDT_PALM_INSTAIDE + 552, "No users data file found.")
PALM_TEXT(IDT_PALM_INSTAIDE + 553, "The specified user name could not be found in the database.")
PALM_TEXT(IDT_PALM_INSTAIDE + 554, "The specified filename is invalid.")
PALM_TEXT(IDT_PALM_INSTAIDE + 555, "The InstAide cannot access the user data.")
PALM_TEXT(IDT_PALM_INSTAIDE + 701, "InstAide does not recognize the file type.")
PALM_TEXT(IDT_PALM_LOADER + 1201, "Invalid installation: CondMgr.dll is not included")
PALM_TEXT(IDT_PALM_LOADER + 1202, "Invalid CondMgr.dll")
PALM_TEXT(IDT_PALM_LOADER + 1203, "Invalid UserData.dll")
PALM_TEXT(IDT_PALM_LOADER + 1204, "Invalid InstAide.dll")
PALM_TEXT(IDT_PALM_LOADER + 1207, "UserData.dll not found")
PALM_TEXT(IDT_PALM_LOADER + 1208, "InstAide.dll not found")
#endif
