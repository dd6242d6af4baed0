#include "MenuTables.h"

namespace {

constexpr TMenuItemSpec FileItems[] = {
    {"FileNewMn", "&New Archive...", "Ctrl+N", 1012, "Create a new Archive file."},
    {"FileOpenMn", "&Open Archive...", "Ctrl+O", 1026, "Open an existing Archive file."},
    {"FileCloseMn", "&Close Archive...", "Ctrl+C", 1003, "Close current Archive file."},
    {"N3", "-", "", 0, ""},
    {"CopyArchive1", "Copy &Archive...", "", 1024, "Copy the Open Archive"},
    {"RenameArchive1", "&Rename Archive...", "", 1024, "Rename or move the Open Archive "},
    {"FileDeleteMn", "&Delete Archive...", "", 1024, "Delete the Open Archive file"},
    {"N12", "-", "", 0, ""},
    {"BrowseArchives1", "&Browse Archives...", "", 1048, "Browse Comments for Archived Files"},
    {"ArchiveInformation1", "Archive &Information", "", 1050, "View Archive information"},
    {"FileTestMn", "&Test Archive...", "", 1045, "Test the selected Archive file"},
    {"FileFixMn", "&Fix Archive...", "", 1018, "Fix a damaged Archive file"},
    {"N1", "-", "", 0, ""},
};

constexpr TMenuItemSpec FixItems[] = {
    {"FixNormal1", "&Normal", "", 1018, "Fix an Archive file with the normal option"},
    {"FixAgressive1", "&Agressive", "", 1018, "Fix an Archive file with the Agressive option"},
};

constexpr TMenuItemSpec FileTail[] = {
    {"FileExitMn", "E&xit", "", 0, "Close Tarnwick"},
};

constexpr TMenuItemSpec EditItems[] = {
    {"EditAddMn", "&Add...", "Ctrl+A", 1001, "Add files to current Archive file."},
    {"EditDeleteMn", "&Remove...", "Ctrl+R", 1037,
     "Remove selected files from current Archive file."},
    {"EditExtractMn", "&Extract...", "Ctrl+E", 1017,
     "Extract selected files from current Archive file."},
    {"EditView1", "&View ", "Ctrl+V", 1049, "View or Run selected file"},
    {"EditUpdateMn", "&Update...", "Ctrl+U", 1047,
     "Update selected files in the current Archive file."},
    {"AddComment1", "Add Co&mment...", "", 1000, "Add a Comment to Archive File"},
    {"EditCreateGroupIcons1", "Create &Group...", "Ctrl+G", 1013,
     "Create Windows Program Group & Icons"},
    {"N4", "-", "", 0, ""},
    {"EditUpdateZIPDateMn", "Up&date Archive Date", "", 1046,
     "Update the file date of the current Archive file."},
    {"N2", "-", "", 0, ""},
    {"EditSelectAllMn", "Select &All", "Ctrl+S", 1040, "Select all the files in the Archive file."},
    {"DeselectAll2", "&Deselect All", "Ctrl+D", 1015, "Deselect all the files in the Archive file"},
    // Ours, after the designed items.
    {"N13", "-", "", 0, ""},
    {"EditFindMn", "&Find...", "Ctrl+F", 0, "Find a file by a part of its name."},
    {"EditFindNextMn", "Find &Next", "F3", 0, "Find the next file with the same part of its name."},
    {"EditSelectMatchingMn", "Select &Matching...", "", 0,
     "Select the files whose names match a pattern."},
};

constexpr TMenuItemSpec OptionsItems[] = {
    {"Configuration1", "&Configuration...", "", 1010, "Configure Tarnwick"},
    {"N6", "-", "", 0, ""},
    {"MultidiskmodeMn", "&Multidisk mode", "", 1041, "Allow files to span multiple disks."},
    {"SaveSettingsonExit1", "&Save Settings on &Exit", "", 1039,
     "Save Tarnwick configuration upon exit"},
    {"SaveSettingsNow1", "Save Settings &Now", "", 1039, "Save current settings Now"},
};

constexpr TMenuItemSpec HelpItems[] = {
    {"HelpTopics1", "&Contents", "F1", 0, "Display Contents of Tarnwick Help"},
    {"Searchforhelpon1", "&Search for Help On...", "", 0, "Search Help for selected topic"},
    {"HowtoUseHelp2", "&How to Use Help", "", 0, "Information on using Windows help "},
    {"N9", "-", "", 0, ""},
    {"QuickStartTutorial1", "&Quick Start Tutorial", "", 1036,
     "Displays Tarnwick Quick Start Tutorial"},
    {"ReadMeFile1", "&Read Me File", "", 0, "Additional information on Tarnwick"},
    {"N8", "-", "", 0, ""},
    {"HelpAboutMn", "&About Tarnwick...", "", 0,
     "Displays Tarnwick version and copyright information"},
};

constexpr TPopupItemSpec PopupItems[] = {
    {{"AddFile1", "&Add File", "Ctrl+A", 0, "Add files to current Archive file."}, "EditAddMn"},
    {{"RemoveFile1", "&Remove File", "Ctrl+R", 0,
      "Remove selected files from current Archive file."},
     "EditDeleteMn"},
    {{"ExtractFile1", "&Extract File", "Ctrl+E", 0,
      "Extract selected files from current Archive file."},
     "EditExtractMn"},
    {{"ViewFile1", "&View File ", "Ctrl+V", 0, ""}, "EditView1"},
    {{"N11", "-", "", 0, ""}, ""},
    {{"CreateArchive1", "&New Archive", "Ctrl+N", 0, "Create a new Archive file."}, "FileNewMn"},
    {{"OpenArchive1", "&Open Archive", "Ctrl+O", 0, "Open an existing Archive file."},
     "FileOpenMn"},
    {{"CloseArchive1", "&Close Archive", "Ctrl+C", 0, "Close current Archive file."},
     "FileCloseMn"},
    {{"CreateGroupsIcons1", "Create &Group...", "Ctrl+G", 0,
      "Create Windows Program Group & Icons"},
     "EditCreateGroupIcons1"},
    {{"N10", "-", "", 0, ""}, ""},
    {{"SelectAll1", "Select &All", "Ctrl+S", 0, "Select All Files in the Archive"},
     "EditSelectAllMn"},
    {{"DeselectAll1", "&Deselect All", "Ctrl+D", 0, "Deselect All Files in the Archive"},
     "DeselectAll2"},
};

constexpr TToolButtonSpec Buttons[] = {
    {"SpdBtnNew", 4, "Create a New Archive File"},
    {"SpdBtnOpen", 41, "Open an Existing Archive "},
    {"SpdBtnClose", 78, "Close the Open Archive"},
    {"SpdBtnInfo", 115, "View Archive Information"},
    {"SpdBtnAdd", 164, "Add File to Archive"},
    {"SpdBtnExtract", 201, "Extract File from Archive"},
    {"SpdBtnRemove", 238, "Remove File from Archive"},
    {"SpdBtnView", 275, "View or Run selected file"},
    {"SpdBtnOptions", 324, "Configure Tarnwick"},
    {"SpdBtnHelp", 361, "Tarnwick Help "},
    {"AbortSb", 398, "Aborts the current operation"},
};

constexpr TButtonCommand ButtonItems[] = {
    {"SpdBtnNew", "FileNewMn"},
    {"SpdBtnOpen", "FileOpenMn"},
    {"SpdBtnClose", "FileCloseMn"},
    {"SpdBtnInfo", "ArchiveInformation1"},
    {"SpdBtnAdd", "EditAddMn"},
    {"SpdBtnExtract", "EditExtractMn"},
    {"SpdBtnRemove", "EditDeleteMn"},
    {"SpdBtnView", "EditView1"},
    {"SpdBtnOptions", "Configuration1"},
    {"SpdBtnHelp", "HelpTopics1"},
    {"AbortSb", "AbortSb"},
};

} // namespace

std::span<const TMenuItemSpec> FileMenuItems() {
    return FileItems;
}
std::span<const TMenuItemSpec> FixMenuItems() {
    return FixItems;
}
std::span<const TMenuItemSpec> FileMenuTail() {
    return FileTail;
}
std::span<const TMenuItemSpec> EditMenuItems() {
    return EditItems;
}
std::span<const TMenuItemSpec> OptionsMenuItems() {
    return OptionsItems;
}
std::span<const TMenuItemSpec> HelpMenuItems() {
    return HelpItems;
}
std::span<const TPopupItemSpec> PopupMenuItems() {
    return PopupItems;
}
std::span<const TToolButtonSpec> ToolButtons() {
    return Buttons;
}
std::span<const TButtonCommand> ButtonCommands() {
    return ButtonItems;
}
