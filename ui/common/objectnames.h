#pragma once

// The names the windows and their controls carry as objectName, the names
// of the program's design that tests and UI automation find them by. In the
// code each is known by what it is; this is the one list that maps the two.
namespace objectnames {

// The main window and its controls.
inline constexpr char mainWindow[] = "Form1";
inline constexpr char inputPane[] = "RTB1";
inline constexpr char hexPane[] = "RTB2";
inline constexpr char outputPane[] = "RTB3";
inline constexpr char ruler[] = "Lbl1";
inline constexpr char pathBar[] = "Tlb1";
inline constexpr char pathButton[] = "Button1";
inline constexpr char statusBar[] = "StB1";
// The panels of the status bar are "panel1" to "panel8", numbered from 1.
inline constexpr char statusPanelPrefix[] = "panel";

// The common dialog's three faces.
inline constexpr char openDialog[] = "gcdgOpen";
inline constexpr char saveDialog[] = "gcdgSave";
inline constexpr char fontDialog[] = "gcdgFont";

// The menus of the main window.
inline constexpr char fileMenu[] = "mnufile";
inline constexpr char editMenu[] = "mnuEdit";
inline constexpr char viewMenu[] = "mnuViev";
inline constexpr char clicheMenu[] = "mnuClishe";
inline constexpr char helpMenu[] = "mnuHelp";
// "Вид" → "Текст рядом": the code page of the text beside the dump.
inline constexpr char besideMenu[] = "mnuBeside";

// The commands, by menu.
inline constexpr char openCommand[] = "mnuOpen";
inline constexpr char saveCommand[] = "mnuSave";
inline constexpr char restoreCommand[] = "mnuRestore";
inline constexpr char fontCommand[] = "mnuFont";
inline constexpr char exitCommand[] = "mnuExit";
inline constexpr char compareCommand[] = "mnuCompare";

inline constexpr char selectAllCommand[] = "mnuSelectAll";
inline constexpr char clearCommand[] = "mnuDell";
inline constexpr char findCommand[] = "mnuFind";
inline constexpr char findNextCommand[] = "mnuFindNext";
inline constexpr char goToCommand[] = "mnuGoto";
inline constexpr char recodeTo1251Command[] = "mnuTo1251";
inline constexpr char recodeTo866Command[] = "mnuTo866";
inline constexpr char checksumsCommand[] = "mnuChecksums";
inline constexpr char nextDifferenceCommand[] = "mnuNextDiff";
inline constexpr char previousDifferenceCommand[] = "mnuPrevDiff";

inline constexpr char controlNamesCommand[] = "mnuComand";
inline constexpr char cp866Command[] = "mnuDOS";
inline constexpr char cp1251Command[] = "mnuWindows";
inline constexpr char hexEditCommand[] = "mnuHexEdit";
inline constexpr char wholeDocumentCommand[] = "mnuHexEditAll";
inline constexpr char normalLayoutCommand[] = "mnuNormal";
inline constexpr char beside1251Command[] = "mnuBeside1251";
inline constexpr char beside866Command[] = "mnuBeside866";
inline constexpr char valuesCommand[] = "mnuValues";

inline constexpr char listing1251Command[] = "mnuKKM1251";
inline constexpr char listing866Command[] = "mnuKKM866";
inline constexpr char clicheCheckCommand[] = "mnuCheck";

inline constexpr char helpCommand[] = "mnuHelpt";
inline constexpr char codeTableCommand[] = "mnuTable";
inline constexpr char aboutCommand[] = "mnuAbout";

// The dump tools of the main window: the dock of the panel "Значения" and
// the panel, the checksums dialog, the comparison's summary on the toolbar.
inline constexpr char valuesDock[] = "dckValues";
inline constexpr char valuesPanel[] = "pnlValues";
inline constexpr char checksumsWindow[] = "frmChecksums";
inline constexpr char comparisonSummary[] = "lblCompare";

// The question before a modified document whose recovery copy failed is
// dropped.
inline constexpr char saveChangesQuestion[] = "msgSaveChanges";

// The code table window and its pane.
inline constexpr char codeTableWindow[] = "FrmTabl";
inline constexpr char codeTablePane[] = "RTBT";

// The cliche check window.
inline constexpr char clicheCheckWindow[] = "FrmCheck";

// The main window's client area, and its keys that no menu shows.
inline constexpr char clientArea[] = "clientArea";
inline constexpr char nextControlKey[] = "focusNextControl";
inline constexpr char previousControlKey[] = "focusPreviousControl";
inline constexpr char menuBarKey[] = "openMenuBar";

// The find and go-to dialogs: their text field, their button, the options
// of the find dialog, and what both share.
inline constexpr char findDialog[] = "dlgFind";
inline constexpr char findText[] = "txtFind";
inline constexpr char findButton[] = "cmdFind";
inline constexpr char ignoreCaseOption[] = "chkIgnoreCase";
inline constexpr char hexOption[] = "optHex";
inline constexpr char text1251Option[] = "optText1251";
inline constexpr char text866Option[] = "optText866";
inline constexpr char goToDialog[] = "dlgGoto";
inline constexpr char offsetText[] = "txtOffset";
inline constexpr char goToButton[] = "cmdGoto";
inline constexpr char entryPrompt[] = "lblPrompt";
inline constexpr char entryMessage[] = "lblMessage";

// Buttons and notices more than one dialog has.
inline constexpr char cancelButton[] = "cmdCancel";
inline constexpr char closeButton[] = "cmdClose";
inline constexpr char copiedNotice[] = "lblCopied";

// The checksums dialog.
inline constexpr char checksumsScope[] = "lblScope";
inline constexpr char checksumsProgress[] = "prgSums";
inline constexpr char copyAllButton[] = "cmdCopyAll";

// The values panel.
inline constexpr char valuesOffset[] = "lblOffset";
inline constexpr char valuesList[] = "lstValues";

// The recovery dialog and the question before a document goes.
inline constexpr char recoveryWindow[] = "frmRecovery";
inline constexpr char recoveryAbout[] = "lblAbout";
inline constexpr char recoveryEmpty[] = "lblEmpty";
inline constexpr char recoveryCopies[] = "lstCopies";
inline constexpr char recoveryDamage[] = "lblDamage";
inline constexpr char restoreButton[] = "cmdRestore";
inline constexpr char deleteButton[] = "cmdDelete";
inline constexpr char saveButton[] = "cmdSave";
inline constexpr char discardButton[] = "cmdDiscard";

// The colour list the font dialog gains.
inline constexpr char fontColorList[] = "colorList";

// The controls of the cliche check window.
inline constexpr char modelChoice[] = "cboModel";
inline constexpr char groupChoice[] = "cboGroup";
inline constexpr char widthBox[] = "spnWidth";
inline constexpr char lineLimitBox[] = "spnLines";
inline constexpr char otherModelFields[] = "otherFields";
inline constexpr char modelLabel[] = "lblModel";
inline constexpr char receiptPreview[] = "prvReceipt";
inline constexpr char findingList[] = "lstFindings";
inline constexpr char findingSummary[] = "lblSummary";
inline constexpr char capitalsButton[] = "cmdUpper";
inline constexpr char replaceButton[] = "cmdReplace";
inline constexpr char replacementTable[] = "tblReplacements";
inline constexpr char findingLegend[] = "lblLegend";

} // namespace objectnames
