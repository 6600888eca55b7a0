// The two-axis page's trajectory plot: every position pair it is fed, drawn on a square
// grid into an off-screen surface that a paint copies to the screen in one blit.
#pragma once

#include <windows.h>

#include <memory>

#include "gdi.h"
#include "plot_model.h"
#include "wnd.h"

class CDrawStatic : public CWnd {
public:
    CDrawStatic() = default;
    ~CDrawStatic() override;

    // The surface, drawing objects and geometry for the control's present client size;
    // the empty picture is drawn at once, so an early paint shows the grid.
    void InitDraw();
    // Appends unless equal to the last point; redraws and invalidates in any case.
    void AddPoint(int x, int y);
    // Empties the list; the picture stays until the next point.
    void ClearPoints() { m_model.ClearPoints(); }
    void ZoomIn() { m_model.ZoomIn(); }
    void ZoomOut() { m_model.ZoomOut(); }
    int GetScale() const { return m_model.GetScale(); }
    void MoveLeft() { m_model.MoveLeft(); }
    void MoveRight() { m_model.MoveRight(); }
    void MoveUp() { m_model.MoveUp(); }
    void MoveDown() { m_model.MoveDown(); }

    // The whole picture into the surface.
    void Redraw();
    // The off-screen surface (null before InitDraw).
    HDC Surface() const { return m_memDC ? m_memDC->Get() : nullptr; }
    const CPlotModel& Model() const { return m_model; }
    // The list without a redraw per point, to build long paths quickly.
    CPlotModel& Model() { return m_model; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void OnPaint();

    CBrush m_brushBack;
    CPen m_penGrid;
    CPen m_penTrace;
    std::unique_ptr<CMemDC> m_memDC;
    CBitmap m_bitmap;
    HGDIOBJ m_oldBitmap = nullptr;
    RECT m_rectClient = {};
    CRgn m_rgnAll;
    CRgn m_rgnGrid;
    CPlotModel m_model;
};
