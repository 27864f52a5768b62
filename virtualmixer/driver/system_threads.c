/* System threads the driver owns: started with a referenced thread object so that stopping
 * can wait for the thread to be gone before anything it uses is freed. */
#include "vmix_driver.h"

NTSTATUS VmixStartSystemThread(PKSTART_ROUTINE routine, PVOID context, PVOID *threadObject)
{
    HANDLE handle;
    NTSTATUS status = PsCreateSystemThread(&handle, THREAD_ALL_ACCESS, NULL, NULL, NULL, routine, context);
    if (!NT_SUCCESS(status)) return status;
    /* No type check: the header's PsThreadType declaration adds one indirection too many
     * for a dllimport and would pass garbage; the handle is a thread's, just created. */
    status = ObReferenceObjectByHandle(handle, SYNCHRONIZE, NULL, KernelMode, threadObject, NULL);
    ZwClose(handle);
    return status;
}

VOID VmixJoinSystemThread(PVOID *threadObject)
{
    if (*threadObject == NULL) return;
    KeWaitForSingleObject(*threadObject, Executive, KernelMode, FALSE, NULL);
    ObDereferenceObject(*threadObject);
    *threadObject = NULL;
}
