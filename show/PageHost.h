// What the view offers its pages, and the pages as the view keeps them. A page is given its
// host when it is constructed and reaches the view through it alone.
#pragma once

#include <windows.h>

#include "dialog.h"

class CVorn_305q;
struct AxisConfig;
struct MotionParams;

class IPageHost {
public:
    // Nonzero when the card is open for use (opened the first time); zero for a negative
    // card or a refused opening.
    virtual BOOL OnSelectCard(int card) = 0;
    // Makes the records of the view's card and axis current, creating them when missing, and
    // sends the pair's configuration the first time in the run.
    virtual void SelectAxis() = 0;
    // Sends the pair's stored configuration unless it went to the open card already; the
    // current records stay as they are.
    virtual void EnsureApplied(int card, int axis) = 0;
    // The current records; null until the card has been opened.
    virtual AxisConfig* CurrentConfig() const = 0;
    virtual MotionParams* CurrentMotion() const = 0;
    virtual CVorn_305q& Control() = 0;
    virtual bool IsCardOpen() const = 0;

protected:
    ~IPageHost() = default;
};

class CViewPage : public CDialog {
public:
    // A page without a host stands alone: it never binds and writes no record.
    CViewPage(UINT templateId, IPageHost* host) : CDialog(templateId), m_pHost(host) {}

    // Shows the view's card and axis; the same pair again changes nothing, unless the page
    // was left unbound and the card has been opened since.
    virtual void SetCardAxis(int card, int axis) = 0;

    int m_nCard = -1;  // the pair last shown, whether or not the card opened for it
    int m_nAxis = -1;

protected:
    // Stores the pair and re-titles for a new one, then binds (binding becomes the host's
    // control) when the card opens, or is open already for a page whose own opening was
    // refused, and makes the pair's records current. False when the page stays unbound or,
    // bound, the pair is the same.
    bool ChangeCardAxis(int card, int axis, CVorn_305q*& binding);
    virtual void ShowTitle() = 0;

    IPageHost* const m_pHost;
};
