// The teacher's window as a module of its own, loaded by the teacher's copy
// alone: the pupils' copies start without Qt Charts and the libraries it
// brings, which cost them time and memory before their first frame.
#include "ui/registro/TeacherModule.h"
#include "ui/registro/TeacherProgram.h"

#include <type_traits>

extern "C" Q_DECL_EXPORT int aritmetica_teacher_window(platform::PrinterFactory* printers, platform::Clock* clock,
                                                        platform::Dialogs* dialogs)
{
    return registro_ui::runTeacherWindow(*printers, *clock, *dialogs);
}

static_assert(std::is_same_v<decltype(&aritmetica_teacher_window), registro_ui::TeacherModuleEntry>);
