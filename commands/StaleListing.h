// The rows of the contents list stand for the entries the last listing
// found. Once another program has added or removed entries, a row may stand
// for another entry or for none: a command over the selected rows then
// lists the archive again and tells the user instead of acting.
#pragma once

class TArchiveSession;
class TArchiveView;

// True when the archive is still there but has changed since it was
// listed; the list has then been read again and the user told. One that is
// gone holds no other entries: the command goes on and the engine reports
// it missing. Commands over the selected rows call it before they ask
// anything.
bool ListedArchiveChanged(TArchiveSession &session, TArchiveView &view);
