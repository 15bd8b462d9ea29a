import java.util.concurrent.CountDownLatch;
import java.util.concurrent.TimeUnit;

/**
 * A service that runs until the launcher calls stop(): on Windows when the service control manager stops it,
 * on Linux on SIGTERM (systemctl stop) or SIGINT. It beats once a minute meanwhile.
 */
public final class Heartbeat {
    private static final CountDownLatch stopRequested = new CountDownLatch(1);

    public static void main(String[] args) throws InterruptedException {
        System.out.println("running " + String.join(" ", args));
        while (!stopRequested.await(1, TimeUnit.MINUTES)) {
            System.out.println("beat");
        }
        System.out.println("stopped");
    }

    /** Called by the launcher on a thread of its own; main then returns, and the service ends. */
    public static void stop() {
        System.out.println("stop requested on " + Thread.currentThread().getName());
        stopRequested.countDown();
    }
}
