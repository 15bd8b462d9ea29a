/** Prints its arguments and the runtime it runs on; the launcher tests read both. */
public final class Hello {
    public static void main(String[] args) {
        System.out.println("runtime " + System.getProperty("java.version") + " " + System.getProperty("java.home"));
        for (int i = 0; i < args.length; i++) {
            System.out.println("arg[" + i + "]=" + args[i]);
        }
    }
}
