// Test Archive and Fix Archive, which work on an archive the user picks
// while none is open, and Update Archive Date on the open one.
#pragma once

class TArchiveSession;
class TArchiveView;

void FileTestMnClick(TArchiveSession &session, TArchiveView &view);
void FixNormal1Click(TArchiveSession &session, TArchiveView &view);
void FixAgressive1Click(TArchiveSession &session, TArchiveView &view);
void FixArchiveCommand(TArchiveSession &session, TArchiveView &view, bool aggressive);
void EditUpdateZIPDateMnClick(TArchiveSession &session, TArchiveView &view);
