#pragma once
// The wait cursor from construction to destruction of the scope object.
// GUI thread only: made on another thread it does nothing (workers post
// their progress instead).

namespace sonbex::ywin {

class YHourglass {
public:
    YHourglass();
    ~YHourglass();
    YHourglass(const YHourglass&) = delete;
    YHourglass& operator=(const YHourglass&) = delete;
    bool IsShown() const { return shown_; }

private:
    bool shown_ = false;
};

}  // namespace sonbex::ywin
