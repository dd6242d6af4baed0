// The enabling rules of the File and Edit menus as functions of the window's
// state, so that the drop-down, the popup and the shortcuts all share them.
#pragma once

struct TArchiveViewState {
    bool ArchiveOpen = false; // the engine's ZipFileName is not empty
    bool Multidisk = false;   // the engine's MultidiskMode
    int Rows = 0;             // rows in FilesLb
    int Selected = 0;         // selected rows in FilesLb
};

struct TFileMenuEnabling {
    bool Close = false; // FileCloseMn, ArchiveInformation1, CopyArchive1,
                        // RenameArchive1, FileDeleteMn
    bool Test = false;  // FileTestMn
    bool Fix = false;   // FileFixMn
};

struct TEditMenuEnabling {
    bool Add = false;         // EditAddMn and EditCreateGroupIcons1
    bool Delete = false;      // EditDeleteMn
    bool ExtractView = false; // EditExtractMn, EditView1
    bool Update = false;      // EditUpdateMn
    bool UpdateDate = false;  // EditUpdateZIPDateMn
    bool RowsPresent = false; // EditSelectAllMn, DeselectAll2, AddComment1
};

struct TToolbarEnabling {
    bool ArchiveButtons = false;   // SpdBtnClose, SpdBtnInfo, SpdBtnAdd
    bool SelectionButtons = false; // SpdBtnRemove, SpdBtnExtract, SpdBtnView
};

TFileMenuEnabling FileMenuEnabling(const TArchiveViewState &state);
TEditMenuEnabling EditMenuEnabling(const TArchiveViewState &state);
TToolbarEnabling ToolbarEnabling(const TArchiveViewState &state);
