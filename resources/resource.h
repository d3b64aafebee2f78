// Identifiers of the saver's resources, shared by the .rc script and code.
#ifndef POMARELO_RESOURCES_RESOURCE_H
#define POMARELO_RESOURCES_RESOURCE_H

// Icon group of the program (Explorer shows the lowest-numbered group).
#define IDI_POMARELO 1
// String table entry with the saver's display name; Windows lists the
// saver in the display settings by this string.
#define IDS_DESCRIPTION 1
// The about box is looked up by name, as "KZ_SCRNSAVER_ABOUT".
#define IDD_ABOUT_NAME "KZ_SCRNSAVER_ABOUT"
// Command id of the about box's OK button (the dialog manager's IDOK).
#define IDC_ABOUT_OK 1

#endif
