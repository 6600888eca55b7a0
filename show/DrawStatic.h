// The two-axis page's trajectory plot: every position pair it is fed, drawn on a square
// grid into an off-screen surface that a paint copies to the screen in one blit.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "gdi.h"
#include "plot_model.h"
#include "wnd.h"

class CDrawStatic : public CWnd {
public:
    CDrawStatic() = default;
    ~CDrawStatic() override = default;

    // The surface, drawing objects and geometry for the control's present client size;
    // the empty picture is drawn at once, so an early paint shows the grid.
    void InitDraw();
    // Appends unless equal to the last point. A point of the view already drawn only adds
    // its segments to the picture; a changed zoom or offset, or a list emptied since, has
    // the whole picture drawn again. Only what changed is invalidated.
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

    // What drawing the path cost: points of the list mapped to pixels and line segments
    // drawn. A poll's point costs the new segment alone, however long the path.
    struct PathWork {
        size_t pointsMapped;
        size_t segmentsDrawn;
    };
    // The work of the last AddPoint.
    PathWork LastAddWork() const { return m_lastAdd; }

    // The off-screen surface as shown (null before InitDraw).
    HDC Surface() const { return m_shown ? m_shown->Get() : nullptr; }
    const CPlotModel& Model() const { return m_model; }
    // The list without a redraw per point, to build long paths quickly; the next AddPoint
    // draws the whole picture.
    CPlotModel& Model() { return m_model; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    // A memory device context with a bitmap of its own selected for its whole life.
    class CSurface {
    public:
        CSurface(HDC compatible, int width, int height);
        ~CSurface();
        CSurface(const CSurface&) = delete;
        CSurface& operator=(const CSurface&) = delete;
        HDC Get() const { return m_dc.Get(); }

    private:
        CMemDC m_dc;
        CBitmap m_bitmap;
        HGDIOBJ m_old = nullptr;
    };

    // What the surfaces show: the points [0, count) of the list with this many clears,
    // in this view.
    struct Drawn {
        PlotView view;
        uint64_t clears;
        size_t count;
    };

    void AddPointAndDraw(int x, int y);
    void OnPaint();
    // The path from point first on into the picture without its end mark, clipped to the
    // grid; the box gets the pixels it may have changed.
    void DrawPath(size_t first, RECT& changed);
    // The shown surface: the picture without its end mark over box, then the end mark.
    void ShowEndMark(const RECT& box);
    RECT EndMarkArea() const;

    CBrush m_brushBack;
    CPen m_penGrid;
    CPen m_penTrace;
    // The picture without the end mark, and the one shown: the end mark moves with the
    // last point, and what lay under it comes back from the first.
    std::unique_ptr<CSurface> m_base;
    std::unique_ptr<CSurface> m_shown;
    RECT m_rectClient = {};
    CRgn m_rgnAll;
    CRgn m_rgnGrid;
    CPlotModel m_model;
    Drawn m_drawn = {};
    std::vector<PlotPixel> m_pixels;  // reused between draws
    std::vector<POINT> m_polyline;
    PathWork m_work = {};  // since the control was made
    PathWork m_lastAdd = {};
};
