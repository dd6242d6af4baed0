// Test Archive and Fix Archive, which work on an archive the user picks
// while none is open, and Update Archive Date on the open one.
#pragma once

class TMainFormFm;

void FileTestMnClick(TMainFormFm &form);
void FixNormal1Click(TMainFormFm &form);
void FixAgressive1Click(TMainFormFm &form);
void FixArchiveCommand(TMainFormFm &form, bool aggressive);
void EditUpdateZIPDateMnClick(TMainFormFm &form);
