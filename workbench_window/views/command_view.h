// The pages of one command each (文件->数组, 元件值选型, 滤波器选型, Printf函数,
// 随机数集合) share this: each button turns the page's fields into its
// command's words (pages/command_pages.h), runs them and shows the command
// line it ran, the answer and the command's messages, in a font of one
// width, since the commands write tables in columns of characters. Each run
// goes on the page's worker (a sorted draw of millions, the C of a
// gigabyte's file take seconds): the window answers meanwhile, the status
// says how far the run has come, and 取消 or Esc stops it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "workbench_window/pages/command_pages.h"
#include "workbench_window/views/page_view.h"
#include "workbench_window/views/page_worker.h"

class CCommandView : public CPageView {
public:
    ~CCommandView() override;

    void StopWork() override { worker_.Stop(); }
    bool CancelWork() override;
    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

protected:
    // The controls a page shows its run in, its 取消 and the buttons that
    // start a run (disabled while one goes on), and whether it has a 保存
    // that writes a long output whole (a page without one must not point
    // to it).
    struct RunControls {
        int command, result, status, cancel;
        std::vector<int> run_buttons;
        bool saves = false;
    };
    // A run on the worker, watched by the page; and what the page does with
    // its outcome, back on the window's thread.
    using RunWork = std::function<command_pages::Outcome(const command_pages::RunWatch& watch)>;
    using RunDone = std::function<void(const command_pages::Outcome& outcome)>;
    // What an edit box is given at most: a page shows the first of a long
    // output, and its 保存 button writes all of it.
    static constexpr std::size_t kShownBytes = 256 * 1024;

    CCommandView(UINT template_id, CWorkbenchWindow& host, RunControls run) : CPageView(template_id, host), run_(run) {}
    int StatusId() const override { return run_.status; }
    BOOL OnCommand(WPARAM wparam, LPARAM lparam) override;

    // The fixed font for `ids` (the run's command and result among them).
    void UseFixedFont(std::initializer_list<int> ids);
    // A series box: the command's own choice first, then the series.
    void FillSeries(int id);
    std::string SeriesChosen(int id) const;
    void ShowRun(const command_pages::Outcome& outcome, const std::string& result);
    // `words` run on the worker and shown, as hex lines with `as_hex`.
    void StartShownRun(const std::vector<std::string>& words, bool as_hex = false);
    // `work` on the worker, then `done` with its outcome unless it was
    // cancelled (the status then says so, and the page shows what it showed).
    void StartRun(RunWork work, RunDone done, bool saving = false);
    void SaveRun(const std::vector<std::string>& words, const std::string& file_name, const char* filter);

private:
    void ShowProgress();
    void FinishRun();

    RunControls run_;
    HFONT fixed_font_ = nullptr;
    PageWorker worker_;
    RunDone done_;
    bool saving_ = false;
    command_pages::Outcome outcome_;  // the worker's, read after its end
};
