/* Resource ids of Zorvane: included by the resource scripts and by the code.
   Localised menus, dialogs and strings sit at their base id (French), base + 10000
   (English) and base + 20000 (German); see LanguageBase. */
#ifndef ZORVANE_RESOURCE_IDS_H
#define ZORVANE_RESOURCE_IDS_H

/* Language bases added to every localised id. */
#define LANGUAGE_BASE_FRENCH 0
#define LANGUAGE_BASE_ENGLISH 10000
#define LANGUAGE_BASE_GERMAN 20000

/* Icons: class and About icon, small class and tray icon, spare multi-size icon. */
#define IDI_ZORVANE 200
#define IDI_ZORVANE_SMALL 201
#define IDI_ZORVANE_SPARE 5002

/* Strings: 200 and 201 once for all languages, the others per language. */
#define IDS_PRODUCT_NAME 200
#define IDS_WINDOW_CLASS 201
#define IDS_CLOSE_FAILED 202
#define IDS_QUIT_FAILED 203
#define IDS_KILL_THREAD_FAILED 204
#define IDS_KILL_PROCESS_FAILED 205
#define IDS_COLUMN_PROCESS 206
#define IDS_COLUMN_PID 207
#define IDS_UP_TO_DATE 208
#define IDS_UPDATE_CHECK_FAILED 209
#define IDS_COLUMN_CPU_TIME 215
#define IDS_COLUMN_WORKING_SET 216
#define IDS_STARTED_BALLOON 217
#define IDS_HIDDEN_NONE 230
#define IDS_HIDDEN_SHOW_ALL 231
/* Warnings before an end that costs more than the program and the label of a
   program that does not respond (formats of the program's name), and the
   questions that follow a warning. */
#define IDS_END_STOPS_WINDOWS 240
#define IDS_END_THREAD_STOPS_WINDOWS 241
#define IDS_END_SHELL 242
#define IDS_END_SHELL_THREAD 243
#define IDS_END_NOT_RESPONDING 244
#define IDS_NOT_RESPONDING_LABEL 245
#define IDS_ASK_END_ANYWAY 246
#define IDS_ASK_RESTART 247
#define IDS_ASK_END 248
#define IDS_COLUMN_STATUS 260
#define IDS_COLUMN_PATH 261
#define IDS_STATUS_SUSPENDED 262
#define IDS_STATUS_NOT_RESPONDING 263
#define IDS_KILL_TREE_CONFIRM 264
#define IDS_KILL_TREE_FAILED 265
#define IDS_SUSPEND_REFUSED_SHELL 266
#define IDS_SUSPEND_REFUSED_WINDOW_MANAGER 267
#define IDS_SUSPEND_REFUSED_SYSTEM 268
#define IDS_SUSPEND_REFUSED_SELF 269
#define IDS_SUSPEND_FAILED 270
#define IDS_RESUME_FAILED 271
#define IDS_RESUME_ALL 272

/* Strings of the hot keys and of the one running Zorvane (320 to 339). */
#define IDS_HOTKEY_REFUSED_START 320
#define IDS_HOTKEY_REFUSED_DIALOG 321
#define IDS_ALREADY_RUNNING 322
#define IDS_NO_HOT_KEY 323
#define IDS_HOTKEY_NEEDS_MODIFIER 324
#define IDS_HOTKEYS_SAME 325
#define IDS_MODIFIER_NAMES 326
#define IDS_LOGON_NOT_SET 340

/* Menus and accelerators: the main menu (per language) and one accelerator table. */
#define IDM_MAIN 200
#define IDA_MAIN 200

/* Menu commands handled by the main window. */
#define IDC_CMD_ABOUT 201
#define IDC_CMD_QUIT 202
#define IDC_CMD_PREFERENCES 203
#define IDC_CMD_CAPTURE 204
#define IDC_CMD_PROCESS_LIST 207
#define IDC_CMD_CHECK_UPDATE 208
#define IDC_CMD_HELP 218

/* Commands of the tray menu's hidden windows submenu, handled by the main window:
   Show all, and one per listed window, the first at IDC_CMD_HIDDEN_FIRST. */
#define IDC_CMD_HIDDEN_SHOW_ALL 299
#define IDC_CMD_HIDDEN_FIRST 300
#define IDC_CMD_HIDDEN_LAST 363

/* Commands of the tray menu's suspended programs submenu, handled by the main
   window: Resume all, and one per listed program, the first at IDC_CMD_SUSPENDED_FIRST. */
#define IDC_CMD_RESUME_ALL 400
#define IDC_CMD_SUSPENDED_FIRST 401
#define IDC_CMD_SUSPENDED_LAST 464

/* Menu commands of the process menu, handled by the process list dialog. */
#define IDC_CMD_PROCESS_SHOW 210
#define IDC_CMD_PROCESS_CLOSE 211
#define IDC_CMD_PROCESS_QUIT 212
#define IDC_CMD_PROCESS_KILL 213
#define IDC_CMD_PROCESS_HIDE 214
#define IDC_CMD_PROCESS_KILL_TREE 220
#define IDC_CMD_PROCESS_SUSPEND 221
#define IDC_CMD_PROCESS_RESUME 222

/* Dialogs (per language). */
#define IDD_ABOUT 200
#define IDD_PREFERENCES 201
#define IDD_PROCESS_LIST 206
#define IDD_UPDATE_AVAILABLE 208

/* Controls of the About and update dialogs. */
#define IDC_ABOUT_ICON 2
#define IDC_LINK 1005

/* Controls of the Preferences dialog: the radio ids are the action values. */
#define IDC_RADIO_CLOSE 1000
#define IDC_RADIO_QUIT 1001
#define IDC_RADIO_KILL_THREAD 1002
#define IDC_RADIO_KILL_PROCESS 1003
#define IDC_RADIO_HIDE 1004
#define IDC_RUN_AT_LOGON 1006

/* Hot key controls of the Preferences dialog: each system hot key control with
   its Win check box (the control itself has no Win modifier). */
#define IDC_CAPTURE_HOTKEY 1030
#define IDC_CAPTURE_HOTKEY_WIN 1031
#define IDC_FOREGROUND_HOTKEY 1032
#define IDC_FOREGROUND_HOTKEY_WIN 1033

/* Controls of the process list dialog. */
#define IDC_PROCESS_LIST 1007
#define IDC_PROCESS_SHOW 1008
#define IDC_PROCESS_CLOSE 1009
#define IDC_PROCESS_QUIT 1010
#define IDC_PROCESS_KILL 1011
#define IDC_PROCESS_REFRESH 1012
#define IDC_PROCESS_HIDE 1013
#define IDC_PROCESS_KILL_TREE 1014
#define IDC_PROCESS_SUSPEND 1015
#define IDC_PROCESS_RESUME 1016
#define IDC_PROCESS_FILTER 1017

#endif
