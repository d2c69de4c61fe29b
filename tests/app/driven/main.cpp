// The real program, driven from standard input by a test instead of by a person at the desk.
#include "TestHook.h"
#include "ui/Startup.h"

int main(int argc, char* argv[])
{
    pelorin::TestHook hook;
    pelorin::DrivenBy drivenBy { hook.services(), &pelorin::TestHook::answerRestore,
                                 [&hook](pelorin::MainWindow& window) {
                                     hook.attach(window);
                                     hook.ready();
                                 } };
    return pelorin::runApplication(argc, argv, drivenBy);
}
