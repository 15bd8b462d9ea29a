/*
 * The least a launcher can take from exec to JNI_CreateJavaVM on this
 * machine: a C program linked against the stand-in VM library
 * (create_vm_clock.c) that calls JNI_CreateJavaVM first thing in main. Run
 * under exec_clock like the launcher, it measures the exec, the dynamic
 * loading of the C library and of the stand-in, and nothing of a launcher.
 * Exits with 1, as the stand-in refuses the creation.
 */
int JNI_CreateJavaVM(void** vm, void** env, void* arguments);

int main(void) {
    void* vm = 0;
    void* env = 0;
    return JNI_CreateJavaVM(&vm, &env, 0) == 0 ? 0 : 1;
}
