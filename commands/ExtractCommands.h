// Extract and Remove: the commands over the selected entries of the
// contents list.
#pragma once

class TArchiveSession;
class TArchiveView;
struct TSettings;

// Asks for a target folder ("Select Directory") after the ConfirmExtract
// question and extracts the selection there. A DefaultExtractPath that
// cannot become the current folder ends it at once with the general error
// report (thrown as platform::IoError).
void EditExtractMnClick(TArchiveSession &session, TArchiveView &view, const TSettings &settings);

// Removes the selected entries after the ConfirmRemove question and lists
// the archive again whatever the result; with nothing selected it does
// nothing at all.
void EditDeleteMnClick(TArchiveSession &session, TArchiveView &view, const TSettings &settings);
