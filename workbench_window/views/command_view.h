// The pages of one command each (文件->数组, 元件值选型, 滤波器选型, Printf函数,
// 随机数集合) share this: each button turns the page's fields into its
// command's words (pages/command_pages.h), runs them and shows the command
// line it ran, the answer and the command's messages, in a font of one
// width, since the commands write tables in columns of characters.
#pragma once

#include <string>
#include <vector>

#include "workbench_window/pages/command_pages.h"
#include "workbench_window/views/page_view.h"

class CCommandView : public CPageView {
public:
    ~CCommandView() override;

protected:
    // The controls a page shows its run in, and whether it has a 保存 that
    // writes a long output whole (a page without one must not point to it).
    struct RunControls {
        int command, result, status;
        bool saves = false;
    };
    // What an edit box is given at most: a page shows the first of a long
    // output, and its 保存 button writes all of it.
    static constexpr std::size_t kShownBytes = 256 * 1024;

    CCommandView(UINT template_id, CWorkbenchWindow& host, RunControls run) : CPageView(template_id, host), run_(run) {}
    int StatusId() const override { return run_.status; }

    // The fixed font for `ids` (the run's command and result among them).
    void UseFixedFont(std::initializer_list<int> ids);
    // A series box: the command's own choice first, then the series.
    void FillSeries(int id);
    std::string SeriesChosen(int id) const;
    void ShowRun(const command_pages::Outcome& outcome, const std::string& result);
    void SaveRun(const std::vector<std::string>& words, const std::string& file_name, const char* filter);

private:
    RunControls run_;
    HFONT fixed_font_ = nullptr;
};
