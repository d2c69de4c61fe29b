#pragma once

namespace pelorin {

struct AppContext;

// The draw window as a view of the draw in progress: the wheel on its surface, the pointer, the name box,
// the counts, the start/stop caption and the names drawn in this opening follow the session's draw.
class DrawWindowView
{
public:
    explicit DrawWindowView(AppContext& context);

private:
    void follow(int aspects);

    AppContext& m_context;
};

} // namespace pelorin
