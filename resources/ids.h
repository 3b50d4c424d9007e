// Control and resource identifiers, shared by the program (Install.rc, app/, windows/)
// and by the GUI test driver. Plain #defines so that windres can read the file too.
#pragma once

// Icon and the information document
#define IDI_APP                 1
#define IDR_MANIFEST            1

// Main window (class TFMain)
#define IDC_BG                  100   // paint area
#define IDC_RICHEDIT1           101   // information panel
#define IDC_INSATALLPAGES       102   // page area

// Pages (child windows of InsatallPages, class TTabSheet)
#define IDC_TS_START            110
#define IDC_TS_INPUTPATH        111
#define IDC_TS_INPUTCOMPONENTS  112
#define IDC_TS_PROGRESSINSTALL  113
#define IDC_TS_CANCEL           114
#define IDC_TS_CHANGEFONTSIZE   115

// tsStart
#define IDC_MEMOSTART           200
#define IDC_BTNCANCEL           201
#define IDC_BTNSTARTNEXT        202

// tsInputPath
#define IDC_MEMOINPUTPATH       210
#define IDC_PNLPATH             211
#define IDC_EPATH               212
#define IDC_BTNSELECTPATH       213
#define IDC_BTNCANCEL2          214
#define IDC_BTNINPUTPATHNEXT    215

// tsInputComponents
#define IDC_MEMOINPUTCOMPONENTS 220
#define IDC_RZPANEL13           221
#define IDC_CBDRIVERINSTAL      222
#define IDC_CBWINDOWS           223
#define IDC_BTNCANCEL4          224
#define IDC_BTNINPUTCOMPONENTSBACK 225
#define IDC_BTNINSATALL         226

// tsProgressInstall
#define IDC_LOGLIST             230
#define IDC_BTNEXIT             231
#define IDC_COPYPROGRESS        232

// tsCancel
#define IDC_MEMOCANCEL          240
#define IDC_BTNEXITCANCEL       241

// tsChangeFontSize
#define IDC_MEMOCHANGEFONTSIZE  250
#define IDC_BTNCHANGEFONT       251
#define IDC_BTNEXITONCHANGEFONT 252

// Message window (class TFMessageform)
#define IDC_LBLMESSAGE          300
#define IDC_PNLBUTTONS          301
#define IDC_BTNCANCEL_MSG       302
#define IDC_BTNOK               303
#define IDC_PNLCLOSE            304
#define IDC_BTNSTOP             305
#define IDC_LBLCLOSE            306
#define IDC_LBLSEC              307

// Launch-progress window (class TFWaitRun)
#define IDC_LBLPROGRESS         320
#define IDC_PROGRESSBAR         321

// Product string table
#define IDS_PRODUCT_FOLDER      0
#define IDS_PRODUCT_NAME        1
#define IDS_PRODUCT_DESCRIPTION 2
#define IDS_PRODUCT_MAINPROGRAM 4
